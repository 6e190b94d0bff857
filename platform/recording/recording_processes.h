#pragma once

#include "platform/processes.h"
#include "platform/recording/plan_log.h"

#include <mutex>
#include <set>

namespace tavrine {

// Reads through to the real processes and records every change in the plan. A process the plan
// terminates is treated as gone from then on, so later passes of the same preview neither list
// it again nor credit it twice, and the counts read as the run would leave them.
class RecordingProcesses final : public Processes {
public:
    RecordingProcesses(PlanLog& plan, Processes& reads_from) : plan_(plan), inner_(reads_from) {}

    std::vector<ProcessEntry> list_processes() override;
    std::vector<ThreadEntry> list_threads() override { return inner_.list_threads(); }
    std::optional<std::string> image_path(std::uint32_t pid) override { return inner_.image_path(pid); }
    ProcessHandlePtr open_process(std::uint32_t pid, std::uint32_t access) override;
    ThreadHandlePtr open_thread(std::uint32_t thread_id, std::uint32_t access) override;
    ProcessHandlePtr current_process() override;
    std::uint32_t current_process_id() override { return inner_.current_process_id(); }
    bool is_running(std::uint32_t pid) override;
    std::vector<std::uint32_t> process_ids() override { return inner_.process_ids(); }
    std::optional<std::string> main_module_name(std::uint32_t pid) override {
        return inner_.main_module_name(pid);
    }
    std::optional<std::uint32_t> session_of(std::uint32_t pid) override { return inner_.session_of(pid); }

    // For the recording handles.
    void record(std::string line);
    void mark_terminated(std::uint32_t pid);
    bool terminated(std::uint32_t pid) const;
    std::size_t terminated_count() const;

private:
    std::string name_of(std::uint32_t pid);

    PlanLog& plan_;
    Processes& inner_;
    mutable std::mutex mutex_;
    std::set<std::uint32_t> terminated_;
};

} // namespace tavrine
