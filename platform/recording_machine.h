#pragma once
// The preview backend: reads go to the machine underneath, every write, command and setting
// is written down instead of made. Commands report exit code 1 ("did not run"), so a routine
// that falls back on a failed command shows its fall-back too; the routine says so in a note.

#include "platform/machine.h"
#include "platform/recording_files.h"
#include "platform/recording_processes.h"
#include "platform/recording_system_state.h"

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace tavrine {

class RecordingMachine final : public Machine, Registry, Services, Commands, SystemSettings, Security {
public:
    explicit RecordingMachine(Machine& reads_from);

    Registry& registry() override { return *this; }
    Services& services() override { return *this; }
    Commands& commands() override { return *this; }
    SystemSettings& system_settings() override { return *this; }
    Security& security() override { return *this; }
    Processes& processes() override { return processes_; }
    Files& files() override { return files_; }
    SystemState& system_state() override { return system_state_; }
    // Sensors only read: they pass straight through.
    Sensors& sensors() override { return inner_.sensors(); }
    void note(std::string_view text) override;

    // Every line so far; a run of file deletions still open is summed up first.
    std::vector<std::string> lines();

    // Registry
    RegistryKeyPtr create_key(Hive hive, std::string_view sub_key) override;
    RegistryKeyPtr open_key(Hive hive, std::string_view sub_key, KeyAccess access) override;
    // Services
    bool stop_and_set_start_type(std::string_view name, std::uint32_t start_type) override;
    bool set_automatic_and_start(std::string_view name) override;
    // Commands
    CommandOutcome run_hidden(std::string_view command, std::uint32_t wait_ms) override;
    // System settings
    bool system_parameters(std::uint32_t action, std::uint32_t param, const SpiArgument& argument,
                           std::uint32_t flags) override;
    // Security
    bool enable_debug_privilege() override;
    bool is_elevated() override;
    void* resolve_optional(std::string_view module, std::string_view entry) override;

    void record(std::string line);
    // File deletions gather into one summary until any other line is recorded.
    void record_file_deletion(std::string_view path, std::uint64_t size);
    void record_read_only_cleared();

private:
    bool created_in_plan(Hive hive, std::string_view sub_key) const;

    Machine& inner_;
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    FileDeletionBatch deletions_;
    std::set<std::string> created_keys_; // "hive|lower-cased sub-key"
    RecordingProcesses processes_;
    RecordingFiles files_;
    RecordingSystemState system_state_;
};

} // namespace tavrine
