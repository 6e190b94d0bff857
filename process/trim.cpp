#include "engine/primitives.h"
#include "platform/processes.h"
#include "process/holds.h"
#include "process/protected_processes.h"

namespace tavrine {

namespace {

constexpr std::uint32_t kTrimAccess = kProcessSetQuota | kProcessQueryLimitedInformation; // 0x1100

} // namespace

void trim_working_sets() {
    enable_debug_privilege();
    Processes& processes = current_machine().processes();
    for (const ProcessEntry& entry : processes.list_processes()) {
        // Only the protected list: the pattern rules of the cull do not apply to a trim.
        if (in_protected_list(entry.exe_name)) {
            continue;
        }
        if (ProcessHandlePtr process = processes.open_process(entry.pid, kTrimAccess)) {
            process->empty_working_set();
        }
    }
}

} // namespace tavrine
