#pragma once
// Scheduled tasks in the Task Scheduler's root folder, through its COM interface
// (ITaskService). A task definition is handed over as text in memory: no file on disk that
// another user could create first or rewrite before the scheduler reads it.

#include <string_view>

namespace tavrine {

class Tasks {
public:
    virtual ~Tasks() = default;
    // ITaskFolder::RegisterTask("\", name, xml, TASK_CREATE_OR_UPDATE, no user or password,
    // TASK_LOGON_INTERACTIVE_TOKEN): creates the task, or replaces one of that name.
    virtual bool register_task_xml(std::string_view name, std::string_view xml) = 0;
    // ITaskFolder::DeleteTask: false when it is missing or cannot be deleted.
    virtual bool delete_task(std::string_view name) = 0;
    // ITaskFolder::GetTask succeeds.
    virtual bool task_exists(std::string_view name) = 0;
};

} // namespace tavrine
