#pragma once
// The preview backend: reads go to the machine underneath, every write, command and setting
// is written down instead of made. Commands report exit code 1 ("did not run"), so a routine
// that falls back on a failed command shows its fall-back too; the routine says so in a note.
// Each line also says whether the machine already holds that change (read back before the
// write is written down), which is what the module states and the "(already)" marks rest on.

#include "platform/machine.h"
#include "platform/recording/plan_log.h"
#include "platform/recording/recording_files.h"
#include "platform/recording/recording_processes.h"
#include "platform/recording/recording_system_state.h"
#include "platform/recording/recording_tasks.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace tavrine {

struct PlanLine {
    std::string text;
    PlanMark mark = PlanMark::Unchecked;
    bool shown = true; // false for changes a plan leaves out (a delete of a missing value)
};

// Lines of a stretch of the plan, counted by mark; notes and details are not changes.
struct PlanTally {
    int changes = 0;
    int already = 0;
    int unchecked = 0;
    int checkable() const { return changes + already; }
    // What a run would still do: every change not known to be in place.
    int still_to_change() const { return changes + unchecked; }
};

PlanTally tally(const std::vector<PlanLine>& lines, std::size_t first = 0);
// The text a plan prints for a line: its text, and " (already)" when it changes nothing.
std::string shown_text(const PlanLine& line);

class RecordingMachine final : public Machine,
                               public PlanLog,
                               Registry,
                               Services,
                               Commands,
                               SystemSettings,
                               Security {
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
    Tasks& tasks() override { return tasks_; }
    void note(std::string_view text) override;

    // Every shown line so far as a plan prints it; a run of file deletions still open is
    // summed up first.
    std::vector<std::string> lines();
    // Every line so far with its mark, hidden ones included.
    std::vector<PlanLine> plan_lines();

    // Files the plan deleted and their bytes, over the whole recording.
    std::uint64_t deleted_files() const;
    std::uint64_t deleted_bytes() const;
    // Processes the plan ended.
    std::size_t ended_processes() const { return processes_.terminated_count(); }

    // Registry
    RegistryKeyPtr create_key(Hive hive, std::string_view sub_key) override;
    RegistryKeyPtr open_key(Hive hive, std::string_view sub_key, KeyAccess access) override;
    bool delete_empty_key(Hive hive, std::string_view sub_key) override;
    // Services
    bool stop_and_set_start_type(std::string_view name, std::uint32_t start_type) override;
    bool set_automatic_and_start(std::string_view name) override;
    bool set_start_type_and_start(std::string_view name, std::uint32_t start_type) override;
    std::optional<ServiceState> query_service(std::string_view name) override;
    // Commands
    CommandOutcome run_hidden(std::string_view command, std::uint32_t wait_ms) override;
    // System settings
    bool system_parameters(std::uint32_t action, std::uint32_t param, const SpiArgument& argument,
                           std::uint32_t flags) override;
    std::optional<std::vector<std::uint32_t>> read_parameters(std::uint32_t action, std::uint32_t param,
                                                              std::vector<std::uint32_t> buffer) override;
    std::optional<std::string> active_power_scheme() override;
    bool activate_power_scheme(std::string_view guid) override;
    std::optional<std::uint32_t> read_power_index(const PowerSetting& setting) override;
    bool write_power_index(const PowerSetting& setting, std::uint32_t value) override;
    // Security
    bool enable_debug_privilege() override;
    bool is_elevated() override;
    void* resolve_optional(std::string_view module, std::string_view entry) override;

    // The plan's own lines (PlanLog).
    void record(std::string line, PlanMark mark = PlanMark::Unchecked) override;
    void record_hidden_already(std::string line) override;
    void record_file_deletion(std::string_view path, std::uint64_t size) override;
    void record_read_only_cleared() override;

private:
    bool created_in_plan(Hive hive, std::string_view sub_key) const;
    void add_line(PlanLine line);
    void flush_deletions();
    PlanMark service_mark(std::string_view name, std::uint32_t start_type, bool running);

    Machine& inner_;
    mutable std::mutex mutex_;
    std::vector<PlanLine> lines_;
    FileDeletionBatch deletions_;
    std::uint64_t deleted_files_ = 0;
    std::uint64_t deleted_bytes_ = 0;
    std::set<std::string> created_keys_; // "hive|lower-cased sub-key"
    RecordingProcesses processes_;
    RecordingFiles files_;
    RecordingSystemState system_state_;
    RecordingTasks tasks_;
};

} // namespace tavrine
