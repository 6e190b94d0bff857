#pragma once
// Shared pieces for the portable tests: a fixture that puts the process-wide engine state back
// the way a fresh start leaves it, and a machine that lets a test watch or hold the worker.

#include "engine/run_status.h"
#include "platform/fake/fake_machine.h"
#include "runs/modules.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace tavrine::test {

// Everything a page or the CLI can see of a run, compared whole: a refused press changes none of it.
struct StatusSnapshot {
    std::string label;
    int completed;
    int total;
    bool running;
    bool deploying;
    bool veil;
    PathKind last_path;
    std::string message;

    static StatusSnapshot take() {
        const RunStatus& status = run_status();
        return {status.current_label.load(),      status.completed_steps.load(),
                status.total_steps.load(),        status.run_in_progress.load(),
                status.deploy_in_progress.load(), status.result_veil_shown.load(),
                status.last_path.load(),          status.status_message.get()};
    }
    bool operator==(const StatusSnapshot&) const = default;
};

// Waits until no worker runs (path run, deploy, restore point) and no module-state reader;
// false when one still runs after `timeout_ms`.
bool wait_for_worker(int timeout_ms = 30000);

// Prints every thread's stack of this process to standard error (under Wine; a note natively):
// what a worker that outlived its wait was doing.
void print_every_thread_stack();

// Arm flags, preset and RunStatus as at start-up ("Competitive", idle, nothing shown).
void reset_engine_state();

// Every file at or below `folder` with its content: the same before and after a run when
// nothing there was written, replaced or added.
std::map<std::string, std::string> contents_below(const FakeFiles& files, std::string_view folder);

// What a program without administrator rights plants at `level` (a folder, or with a symbolic
// link also a file) of `meant`: a link to `elsewhere`, where the same names lead to a file
// holding `planted`. A junction can only lead to a folder.
enum class PlantedLink : std::uint8_t { Junction, SymbolicLink };
void plant_link(FakeFiles& files, std::string_view meant, std::string_view level, PlantedLink kind,
                std::string_view elsewhere, std::string_view planted);

// Every engine test starts from start-up state on its own empty fake machine. The fake is
// installed for the whole test so nothing can reach the real machine (the Windows runner
// would otherwise hit the real registry of the Wine prefix).
class EngineTest : public ::testing::Test {
protected:
    EngineTest() : scope_(fake) { reset_engine_state(); }
    ~EngineTest() override;

    FakeMachine fake;

private:
    ScopedMachine scope_;
};

// A door a worker waits at until the test opens it. `wait_until_reached` lets the test know
// the worker really is parked inside a step before it pokes at RunStatus.
class Gate {
public:
    void pass();               // worker side: blocks until opened
    bool wait_until_reached(); // test side: false after 10 s without a worker arriving
    void open();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool reached_ = false;
    bool open_ = false;
};

// Wraps a FakeMachine and calls `hook` (on the calling thread) before every command, system
// parameter call, service change and key create/open. Everything else is the fake's.
class ObservedMachine final : public Machine, Registry, Services, Commands, SystemSettings {
public:
    using Hook = std::function<void(const char* what)>;
    ObservedMachine(FakeMachine& inner, Hook hook) : inner_(inner), hook_(std::move(hook)) {}

    Registry& registry() override { return *this; }
    Services& services() override { return *this; }
    Commands& commands() override { return *this; }
    SystemSettings& system_settings() override { return *this; }
    Security& security() override { return inner_.security(); }
    Processes& processes() override { return inner_.processes(); }
    Files& files() override { return inner_.files(); }
    SystemState& system_state() override { return inner_.system_state(); }
    Sensors& sensors() override { return inner_.sensors(); }
    Tasks& tasks() override { return inner_.tasks(); }

    RegistryKeyPtr create_key(Hive hive, std::string_view sub_key) override;
    RegistryKeyPtr open_key(Hive hive, std::string_view sub_key, KeyAccess access) override;
    bool delete_empty_key(Hive hive, std::string_view sub_key) override {
        return inner_.registry().delete_empty_key(hive, sub_key);
    }
    bool stop_and_set_start_type(std::string_view name, std::uint32_t start_type) override;
    bool set_automatic_and_start(std::string_view name) override;
    std::optional<ServiceState> query_service(std::string_view name) override {
        return inner_.services().query_service(name);
    }
    std::optional<std::vector<std::uint32_t>> read_parameters(std::uint32_t action, std::uint32_t param,
                                                              std::vector<std::uint32_t> buffer) override {
        return inner_.system_settings().read_parameters(action, param, std::move(buffer));
    }
    std::optional<std::string> active_power_scheme() override {
        return inner_.system_settings().active_power_scheme();
    }
    bool activate_power_scheme(std::string_view guid) override {
        return inner_.system_settings().activate_power_scheme(guid);
    }
    std::optional<std::uint32_t> read_power_index(const PowerSetting& setting) override {
        return inner_.system_settings().read_power_index(setting);
    }
    bool write_power_index(const PowerSetting& setting, std::uint32_t value) override {
        return inner_.system_settings().write_power_index(setting, value);
    }
    bool set_start_type_and_start(std::string_view name, std::uint32_t start_type) override {
        return inner_.services().set_start_type_and_start(name, start_type);
    }
    CommandOutcome run_hidden(std::string_view command, std::uint32_t wait_ms) override;
    bool system_parameters(std::uint32_t action, std::uint32_t param, const SpiArgument& argument,
                           std::uint32_t flags) override;

private:
    FakeMachine& inner_;
    Hook hook_;
};

} // namespace tavrine::test
