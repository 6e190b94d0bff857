#pragma once

#include "platform/tasks.h"

namespace tavrine {

// The Task Scheduler 2.0 COM interface (ITaskService) on the local machine. COM is set up for
// the calling thread for the length of each call and taken down again after it.
class Win32Tasks final : public Tasks {
public:
    bool register_task_xml(std::string_view name, std::string_view xml) override;
    bool delete_task(std::string_view name) override;
    bool task_exists(std::string_view name) override;
};

} // namespace tavrine
