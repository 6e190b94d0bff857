#pragma once

#include "platform/recording/plan_log.h"
#include "platform/tasks.h"

#include <map>
#include <mutex>
#include <string>

namespace tavrine {

// Writes registrations and deletions down instead of making them; task_exists reads the
// scheduler underneath, then what the preview has done so far.
class RecordingTasks final : public Tasks {
public:
    RecordingTasks(PlanLog& plan, Tasks& reads_from) : plan_(plan), inner_(reads_from) {}
    bool register_task_xml(std::string_view name, std::string_view xml) override;
    bool delete_task(std::string_view name) override;
    bool task_exists(std::string_view name) override;

private:
    PlanLog& plan_;
    Tasks& inner_;
    std::mutex mutex_;
    std::map<std::string, bool> planned_; // lower-cased name: present after the plan's changes
};

} // namespace tavrine
