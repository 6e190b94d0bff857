#include "platform/recording/recording_tasks.h"

#include "platform/ascii.h"
#include "platform/change_text.h"

namespace tavrine {

bool RecordingTasks::register_task_xml(std::string_view name, std::string_view xml) {
    if (name.empty() || xml.empty()) {
        return false;
    }
    // A task already there would be replaced by this definition; what it holds cannot be
    // compared, so only a missing one is a known change.
    const PlanMark mark = task_exists(name) ? PlanMark::Unchecked : PlanMark::Changes;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        planned_[ascii_lowered(name)] = true;
    }
    plan_.record(describe_register_task(name), mark);
    return true;
}

bool RecordingTasks::delete_task(std::string_view name) {
    if (!task_exists(name)) {
        plan_.record_hidden_already(describe_delete_task(name));
        return false;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        planned_[ascii_lowered(name)] = false;
    }
    plan_.record(describe_delete_task(name), PlanMark::Changes);
    return true;
}

bool RecordingTasks::task_exists(std::string_view name) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (const auto planned = planned_.find(ascii_lowered(name)); planned != planned_.end()) {
            return planned->second;
        }
    }
    return inner_.task_exists(name);
}

} // namespace tavrine
