#include "process/kill.h"

#include "engine/primitives.h"
#include "platform/ascii.h"
#include "process/process_walk.h"

#include <cstdio>
#include <string>

namespace tavrine {

namespace {

constexpr std::uint32_t kSystemIdleProcessId = 0;
constexpr std::uint32_t kSystemProcessId = 4;
constexpr std::uint32_t kTerminatedExitCode = 1;

// The listed process, opened: with `access` when it allows, else for queries only (enough to
// check it and to hold its id). Null when it cannot be opened at all.
ProcessHandlePtr open_listed(std::uint32_t pid, std::uint32_t access) {
    Processes& processes = current_machine().processes();
    ProcessHandlePtr process = processes.open_process(pid, access | kProcessQueryLimitedInformation);
    return process ? std::move(process) : processes.open_process(pid, kProcessQueryLimitedInformation);
}

enum class Identity : std::uint8_t { Same, Other, Unknown };

// A process id may be reused as soon as the process it named has ended; the image name and the
// creation time together tell the listed process from a newcomer.
Identity identity_of(ProcessHandle& process, const ProcessEntry& listed) {
    const std::optional<std::string> name = process.image_name();
    const std::optional<std::uint64_t> created = process.creation_time();
    if (!name || !created || listed.creation_time == 0) {
        return Identity::Unknown;
    }
    return iequals(*name, listed.exe_name) && *created == listed.creation_time ? Identity::Same
                                                                               : Identity::Other;
}

bool has_ended(ProcessHandle& process) {
    const std::optional<std::uint32_t> code = process.exit_code();
    return code && *code != kStillActive;
}

// Opens and checks; `outcome` is set when the process must be left alone.
ProcessHandlePtr open_checked(const ProcessEntry& listed, std::uint32_t access, KillOutcome& outcome) {
    outcome = KillOutcome::Survived;
    if (is_untouchable_process(listed.pid)) {
        return nullptr;
    }
    ProcessHandlePtr process = open_listed(listed.pid, access);
    if (!process) {
        // Unopenable and unchecked: nothing is sent to an id that may name another process now.
        outcome =
            current_machine().processes().is_running(listed.pid) ? KillOutcome::Survived : KillOutcome::Gone;
        return nullptr;
    }
    switch (identity_of(*process, listed)) {
    case Identity::Same:
        return process;
    case Identity::Other:
        outcome = KillOutcome::Gone;
        return nullptr;
    case Identity::Unknown:
        return nullptr;
    }
    return nullptr;
}

} // namespace

bool is_untouchable_process(std::uint32_t pid) {
    return pid == kSystemIdleProcessId || pid == kSystemProcessId || pid == own_process_id();
}

KillOutcome kill_process(const ProcessEntry& listed, const char* rule) {
    KillOutcome outcome = KillOutcome::Survived;
    ProcessHandlePtr process = open_checked(listed, kProcessTerminate, outcome);
    if (!process) {
        return outcome;
    }
    std::string reason(listed.exe_name);
    if (rule != nullptr) {
        reason += reason.empty() ? "(" : " (";
        reason += rule;
        reason += ")";
    }
    if (process->terminate(kTerminatedExitCode, reason)) {
        return KillOutcome::Ended;
    }
    // The handle stays open through taskkill: while it is held the id cannot name another process.
    char command[96];
    std::snprintf(command, sizeof command, "taskkill /F /PID %lu >nul 2>&1",
                  static_cast<unsigned long>(listed.pid));
    run_hidden(command);
    return has_ended(*process) ? KillOutcome::Ended : KillOutcome::Survived;
}

KillOutcome ask_to_close(const ProcessEntry& listed) {
    if (listed.exe_name.empty() || listed.session_id == kUnknownSession) {
        return KillOutcome::Survived;
    }
    KillOutcome outcome = KillOutcome::Survived;
    // Opened first, so that the wait below watches this very process.
    ProcessHandlePtr watch = open_checked(listed, kSynchronize, outcome);
    if (!watch) {
        return outcome;
    }
    char command[360];
    std::snprintf(command, sizeof command, "taskkill /FI \"SESSION eq %lu\" /IM \"%.*s\" >nul 2>&1",
                  static_cast<unsigned long>(listed.session_id), static_cast<int>(listed.exe_name.size()),
                  listed.exe_name.data());
    run_hidden(command);
    return watch->wait_for_exit(kPoliteCloseWaitMs) || has_ended(*watch) ? KillOutcome::Ended
                                                                         : KillOutcome::Survived;
}

} // namespace tavrine
