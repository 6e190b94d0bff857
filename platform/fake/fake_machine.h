#pragma once
// An in-memory machine for native tests: a registry with Windows' case-insensitive names and
// sorted sub-key enumeration, a services table, a command runner that only records (with
// scripted exit codes and durations), a log of system-parameter calls, and one journal of
// every effect in order. Safe to use from the pipeline worker and a test thread at once.

#include "platform/ascii.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_journal.h"
#include "platform/fake/fake_processes.h"
#include "platform/fake/fake_sensors.h"
#include "platform/fake/fake_system_state.h"
#include "platform/fake/fake_tasks.h"
#include "platform/machine.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tavrine {

class FakeSystemSettings;

class FakeRegistry final : public Registry {
public:
    explicit FakeRegistry(FakeJournal& journal) : journal_(journal) {}

    RegistryKeyPtr create_key(Hive hive, std::string_view sub_key) override;
    RegistryKeyPtr open_key(Hive hive, std::string_view sub_key, KeyAccess access) override;
    bool delete_empty_key(Hive hive, std::string_view sub_key) override;

    // Set-up and inspection for tests; paths are registry paths with a hive prefix.
    void add_key(std::string_view path);
    void put_dword(std::string_view path, std::string_view name, std::uint32_t value);
    void put_string(std::string_view path, std::string_view name, std::string_view text);
    // Any type, as bytes (REG_MULTI_SZ device ID lists, REG_BINARY blobs).
    void put_value(std::string_view path, std::string_view name, RegistryValue value);
    // Makes a key refuse every open, as a key with a restrictive ACL does.
    void deny(std::string_view path);
    bool has_key(std::string_view path) const;
    bool has_value(std::string_view path, std::string_view name) const;
    std::optional<RegistryValue> value(std::string_view path, std::string_view name) const;
    std::optional<std::uint32_t> dword(std::string_view path, std::string_view name) const;
    std::optional<std::string> text(std::string_view path, std::string_view name) const;
    std::size_t key_count() const;

private:
    friend class FakeRegistryKey;
    struct Node {
        std::string name;
        bool denied = false;
        std::map<std::string, Node, CaseInsensitiveLess> children;
        std::vector<std::pair<std::string, RegistryValue>> values; // in creation order
    };

    Node* find(Hive hive, std::string_view sub_key);
    const Node* find(Hive hive, std::string_view sub_key) const;
    Node& make(Hive hive, std::string_view sub_key);
    static RegistryValue* find_value(Node& node, std::string_view name);
    static std::size_t count(const Node& node);

    FakeJournal& journal_;
    std::array<Node, 3> roots_;
    std::uint64_t erasures_ = 0; // keys deleted so far: an open key's place may be gone
};

struct FakeService {
    std::uint32_t start_type = 3;
    bool running = false;
};

class FakeServices final : public Services {
public:
    explicit FakeServices(FakeJournal& journal) : journal_(journal) {}
    bool stop_and_set_start_type(std::string_view name, std::uint32_t start_type) override;
    bool set_automatic_and_start(std::string_view name) override;
    bool set_start_type_and_start(std::string_view name, std::uint32_t start_type) override;
    std::optional<ServiceState> query_service(std::string_view name) override;

    void add(std::string_view name, FakeService service);
    std::optional<FakeService> get(std::string_view name) const;

private:
    FakeJournal& journal_;
    std::map<std::string, FakeService, CaseInsensitiveLess> table_;
};

struct CommandScript {
    std::uint32_t exit_code = 0;
    std::uint32_t duration_ms = 0; // longer than the wait: reported as still running
    bool startable = true;
};

struct RecordedCommand {
    std::string command;
    std::string command_line; // what the interpreter would be started with
    std::uint32_t wait_ms = 0;
};

class FakeCommands final : public Commands {
public:
    FakeCommands(FakeJournal& journal, FakeProcesses& processes, FakeSystemSettings& settings,
                 FakeFiles& files)
        : journal_(journal), processes_(processes), settings_(settings), files_(files) {}
    CommandOutcome run_hidden(std::string_view command, std::uint32_t wait_ms) override;

    void script(std::string_view command, CommandScript script);
    std::vector<RecordedCommand> log() const;
    std::vector<std::string> texts() const;

private:
    FakeJournal& journal_;
    FakeProcesses& processes_;     // "taskkill" ends fake processes as the real one would
    FakeSystemSettings& settings_; // powercfg commands that exit 0 change the power settings
    FakeFiles& files_;             // where the interpreter is: the system folder
    std::map<std::string, CommandScript, std::less<>> scripts_;
    std::vector<RecordedCommand> log_;
};

struct SpiCall {
    std::uint32_t action = 0;
    std::uint32_t param = 0;
    SpiArgument argument;
    std::uint32_t flags = 0;
};

class FakeSystemSettings final : public SystemSettings {
public:
    explicit FakeSystemSettings(FakeJournal& journal) : journal_(journal) {}
    bool system_parameters(std::uint32_t action, std::uint32_t param, const SpiArgument& argument,
                           std::uint32_t flags) override;
    // Reads back what a set call with a known get action stored; nothing before one.
    std::optional<std::vector<std::uint32_t>> read_parameters(std::uint32_t action, std::uint32_t param,
                                                              std::vector<std::uint32_t> buffer) override;
    // Set by a test, or by a "powercfg /s GUID" command that exits 0; unknown until then.
    std::optional<std::string> active_power_scheme() override;
    void set_active_power_scheme(std::string_view guid);
    bool activate_power_scheme(std::string_view guid) override;
    // Power indices as powercfg and the power API leave them; a setting never written or seeded
    // cannot be read. "powercfg /setXcvalueindex" commands that exit 0 write here too.
    std::optional<std::uint32_t> read_power_index(const PowerSetting& setting) override;
    bool write_power_index(const PowerSetting& setting, std::uint32_t value) override;
    void put_power_index(const PowerSetting& setting, std::uint32_t value);
    // Every index held, keyed by describe_power_index's words without the value.
    std::map<std::string, std::uint32_t> power_indices() const;
    // Seeds what a get action reads before any set call, as a user's own settings.
    void put_parameters(std::uint32_t get_action, std::vector<std::uint32_t> words);
    std::vector<SpiCall> log() const;

private:
    FakeJournal& journal_;
    std::vector<SpiCall> log_;
    std::map<std::uint32_t, std::vector<std::uint32_t>> stored_; // by get action
    std::optional<std::string> active_scheme_;
    std::map<std::string, std::uint32_t> power_indices_;
};

class FakeSecurity final : public Security {
public:
    explicit FakeSecurity(FakeJournal& journal) : journal_(journal) {}
    bool enable_debug_privilege() override;
    bool is_elevated() override;
    void* resolve_optional(std::string_view module, std::string_view entry) override;

    void set_elevated(bool elevated);
    void provide_entry(std::string_view module, std::string_view entry);
    bool debug_privilege_enabled() const;

private:
    FakeJournal& journal_;
    bool elevated_ = true;
    bool debug_privilege_ = false;
    std::set<std::string> entries_; // "module!entry", lower-cased
};

class FakeMachine final : public Machine {
public:
    FakeMachine() = default;
    FakeMachine(const FakeMachine&) = delete;
    FakeMachine& operator=(const FakeMachine&) = delete;

    FakeRegistry& registry() override { return registry_; }
    FakeServices& services() override { return services_; }
    FakeCommands& commands() override { return commands_; }
    FakeSystemSettings& system_settings() override { return settings_; }
    FakeSecurity& security() override { return security_; }
    FakeProcesses& processes() override { return processes_; }
    FakeFiles& files() override { return files_; }
    FakeSystemState& system_state() override { return system_state_; }
    FakeSensors& sensors() override { return sensors_; }
    FakeTasks& tasks() override { return tasks_; }

    // Every effect in order, one line each, in the same words as the preview.
    std::vector<std::string> journal() const { return journal_.lines(); }

private:
    FakeJournal journal_; // before the fakes, which all hold it
    FakeRegistry registry_{journal_};
    FakeServices services_{journal_};
    FakeSystemSettings settings_{journal_};
    FakeSecurity security_{journal_};
    FakeProcesses processes_{journal_, security_};
    FakeFiles files_{journal_};
    FakeCommands commands_{journal_, processes_, settings_, files_};
    FakeSystemState system_state_{journal_, security_};
    FakeSensors sensors_{journal_};
    FakeTasks tasks_{journal_};
};

} // namespace tavrine
