#include "process/kill.h"

#include "engine/primitives.h"
#include "platform/processes.h"
#include "process/process_walk.h"

#include <cstdio>
#include <string>

namespace tavrine {

namespace {

constexpr std::uint32_t kSystemIdleProcessId = 0;
constexpr std::uint32_t kSystemProcessId = 4;
constexpr std::uint32_t kTerminatedExitCode = 1;

// Asked after a request to end it: gone, or ended with an exit code, counts; still running,
// or there but refusing to say, does not.
bool has_ended(std::uint32_t pid) {
    Processes& processes = current_machine().processes();
    ProcessHandlePtr process = processes.open_process(pid, kProcessQueryLimitedInformation);
    if (!process) {
        // A failed open alone may be "access denied" on a process that is still there.
        return !processes.is_running(pid);
    }
    const std::optional<std::uint32_t> code = process->exit_code();
    return code && *code != kStillActive;
}

} // namespace

bool is_untouchable_process(std::uint32_t pid) {
    return pid == kSystemIdleProcessId || pid == kSystemProcessId || pid == own_process_id();
}

bool kill_process(std::uint32_t pid, std::string_view name, const char* rule) {
    if (is_untouchable_process(pid)) {
        return false;
    }
    std::string reason(name);
    if (rule != nullptr) {
        reason += reason.empty() ? "(" : " (";
        reason += rule;
        reason += ")";
    }
    ProcessHandlePtr process =
        current_machine().processes().open_process(pid, kProcessTerminate | kProcessQueryLimitedInformation);
    if (process && process->terminate(kTerminatedExitCode, reason)) {
        return true;
    }
    process.reset(); // close before taskkill tries

    char command[96];
    std::snprintf(command, sizeof command, "taskkill /F /PID %lu >nul 2>&1", static_cast<unsigned long>(pid));
    run_hidden(command);
    return has_ended(pid);
}

bool ask_to_close(std::uint32_t pid, std::string_view name) {
    if (is_untouchable_process(pid) || name.empty()) {
        return false;
    }
    // Opened first, so that the wait below watches this very process.
    ProcessHandlePtr watch =
        current_machine().processes().open_process(pid, kSynchronize | kProcessQueryLimitedInformation);
    char command[320];
    std::snprintf(command, sizeof command, "taskkill /IM \"%.*s\" >nul 2>&1", static_cast<int>(name.size()),
                  name.data());
    run_hidden(command);
    if (watch) {
        if (watch->wait_for_exit(kPoliteCloseWaitMs)) {
            return true;
        }
        const std::optional<std::uint32_t> code = watch->exit_code();
        return code && *code != kStillActive;
    }
    return has_ended(pid);
}

} // namespace tavrine
