#include "process/cull.h"

#include "engine/primitives.h"
#include "platform/processes.h"
#include "platform/system_state.h"
#include "process/cull_lists.h"
#include "process/cull_names.h"
#include "process/kill.h"
#include "process/name_match.h"
#include "process/process_walk.h"

#include <algorithm>
#include <cstdio>

namespace tavrine {

namespace {

// "Office BG" asks the editors to close (no /F) before the passes rather than killing them, so
// an unsaved document is offered for saving instead of lost.
constexpr const char* kOfficeEditorsAskedFirst[] = {"WINWORD.EXE", "EXCEL.EXE", "OUTLOOK.EXE"};

constexpr const char* kCloudSyncImages[] = {"OneDrive.exe", "Dropbox.exe", "GoogleDriveFS.exe"};
constexpr const char* kForcedKillInSession = "taskkill /F /FI \"SESSION eq %lu\" /IM \"%s\" /T >nul 2>&1";
// Without /F: the editor gets a close request and may offer to save first.
constexpr const char* kPoliteCloseInSession = "taskkill /FI \"SESSION eq %lu\" /IM \"%s\" >nul 2>&1";

constexpr const char* kPerUserServiceScript =
    "powershell -NoProfile -Command \"Get-Service -ErrorAction SilentlyContinue | Where-Object { $_.Name "
    "-match '^(BcastDVRUserService|CaptureService|cbdhsvc|CDPUserSvc|OneSyncSvc|WpnUserService|"
    "MessagingService)_' } | ForEach-Object { Stop-Service $_.Name -Force -ErrorAction SilentlyContinue; "
    "Set-Service $_.Name -StartupType Manual -ErrorAction SilentlyContinue }\"";

constexpr std::uint32_t kDemandStart = 3;
constexpr std::uint32_t kDisabled = 4;
constexpr int kFirstPasses = 6;
constexpr int kSecondPasses = 4;

// Deep sweep, stages 2 and 3: a "host" or "broker" candidate needs a companion word, and the
// protected test and the shell's own processes have the last word.
bool swept(const NameFacts& facts) {
    const bool has_host = (facts.words & kHasHost) != 0;
    if ((facts.words & kHasSweepWord) == 0 && !has_host) {
        return false;
    }
    if ((has_host || (facts.words & kHasBroker) != 0) && (facts.words & kHasHostCompanion) == 0) {
        return false;
    }
    return !is_protected(facts) && (facts.lists & kInSweepNever) == 0;
}

std::optional<std::uint32_t> own_session_id() {
    Processes& processes = current_machine().processes();
    return processes.session_of(processes.current_process_id());
}

// The processes of one session: what the cull can change, so what its counts compare.
int count_session_processes(std::uint32_t session) {
    const std::vector<ProcessEntry> entries = current_machine().processes().list_processes();
    return static_cast<int>(
        std::count_if(entries.begin(), entries.end(),
                      [session](const ProcessEntry& entry) { return entry.session_id == session; }));
}

// taskkill by name ends every session's processes of that name unless told otherwise.
void taskkill_in_session(const char* format, std::uint32_t session, const char* image) {
    char command[200];
    std::snprintf(command, sizeof command, format, static_cast<unsigned long>(session), image);
    run_hidden(command);
}

void sleep_ms(std::uint32_t milliseconds) {
    current_machine().system_state().sleep_ms(milliseconds);
}

} // namespace

void stop_cull_services(const CullOptions& options) {
    for (const char* service : kCullServices) {
        stop_and_set_start_type(service, kDemandStart);
    }
    if (options.stop_sysmain) {
        stop_and_set_start_type("SysMain", kDisabled);
    }
    if (!options.keep_capture_services) {
        run_hidden(kPerUserServiceScript);
    }
}

CullVerdict cull_verdict(std::string_view name, const CullOptions& options) {
    if (name.empty()) {
        return {};
    }
    const NameFacts facts = name_facts(name);
    if (is_protected(facts)) {
        return {};
    }
    if (options.bloat_list && (facts.lists & kInBloatList) != 0) {
        return {CullAction::Terminate, "bloat list"};
    }
    if (options.oem_suite && (facts.lists & kInOemList) != 0) {
        return {CullAction::Terminate, "OEM suite"};
    }
    if (options.updaters) {
        if ((facts.lists & kInUpdaterList) != 0) {
            return {CullAction::Terminate, "updaters"};
        }
        // The pattern rule asks the protected test again; it has already said no above.
        if ((facts.words & kHasUpdaterWord) != 0 && !is_protected(facts)) {
            return {CullAction::Terminate, "updater pattern"};
        }
    }
    if (options.office && (facts.lists & kInOfficeList) != 0) {
        if ((facts.lists & kIsDocumentEditor) != 0) {
            return {CullAction::AskToClose, "Office BG, asked to close"};
        }
        return {CullAction::Terminate, "Office BG"};
    }
    if (options.cloud_sync && (facts.lists & kInCloudSyncList) != 0) {
        return {CullAction::Terminate, "cloud sync"};
    }
    if (options.deep_sweep && swept(facts)) {
        return {CullAction::Terminate, "deep sweep"};
    }
    return {};
}

int cull_pass(const CullOptions& options, CloseRequests* close_requests, int* gone) {
    // Only the user's own session: other signed-in users' programs and the services' session
    // are not this user's to end. Unknown, nothing is ended.
    const std::optional<std::uint32_t> session = own_session_id();
    if (!session) {
        return 0;
    }
    int credited = 0;
    const auto count = [&](KillOutcome outcome) {
        credited += outcome == KillOutcome::Ended ? 1 : 0;
        if (outcome == KillOutcome::Gone && gone != nullptr) {
            ++*gone;
        }
    };
    for (const ProcessEntry& entry : current_machine().processes().list_processes()) {
        if (entry.session_id != *session) {
            continue;
        }
        const std::string lowered = lowered_process_name(entry.exe_name);
        const CullVerdict verdict = cull_verdict(lowered, options);
        switch (verdict.action) {
        case CullAction::Spare:
            break;
        case CullAction::Terminate:
            count(kill_process(entry, verdict.rule));
            break;
        case CullAction::AskToClose:
            if (close_requests != nullptr) {
                if (close_requests->asked(lowered)) {
                    break; // its user has been asked once this run; staying open is their answer
                }
                close_requests->mark(lowered);
            }
            count(ask_to_close(entry));
            break;
        }
    }
    return credited;
}

void run_cpu_cull(const CullOptions& options) {
    CloseRequests close_requests;

    enable_debug_privilege();
    const std::optional<std::uint32_t> session = own_session_id();
    if (!session) {
        // Without its own session the cull cannot keep to it, so it ends nothing.
        cull_result().set({});
        return;
    }
    const int before = count_session_processes(*session);

    if (options.bloat_list) {
        for (const char* image : kBloatKillNames) {
            taskkill_in_session(kForcedKillInSession, *session, image);
        }
    }
    if (options.cloud_sync) {
        for (const char* image : kCloudSyncImages) {
            taskkill_in_session(kForcedKillInSession, *session, image);
        }
    }
    if (options.office) {
        taskkill_in_session(kForcedKillInSession, *session, "OfficeClickToRun.exe");
        for (const char* editor : kOfficeEditorsAskedFirst) {
            taskkill_in_session(kPoliteCloseInSession, *session, editor);
            close_requests.mark(lowered_process_name(editor));
        }
    }
    sleep_ms(300);

    plan_note("each pass below tests every running process in rule order; a preview counts a "
              "process it would end as gone, so later passes do not list it again");
    int credited = 0;
    int gone = 0;
    for (int pass = 0; pass < kFirstPasses; ++pass) {
        credited += cull_pass(options, &close_requests, &gone);
        sleep_ms(150);
    }
    if (options.services) {
        stop_cull_services(options);
    }
    if (options.startup) {
        disable_startup_junk();
    }
    sleep_ms(600);
    // A second group, so that anything that came back in the meantime meets the tests again.
    for (int pass = 0; pass < kSecondPasses; ++pass) {
        credited += cull_pass(options, &close_requests, &gone);
        sleep_ms(200);
    }

    const int after = count_session_processes(*session);
    // Respawns are ended and counted again, so the credit may exceed the drop; it is never
    // reported below it.
    cull_result().set({before, after, std::max(credited, before - after), gone});
}

CullCounts CullResult::get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counts_;
}

void CullResult::set(const CullCounts& counts) {
    std::lock_guard<std::mutex> lock(mutex_);
    counts_ = counts;
}

std::string cull_result_line() {
    const CullCounts counts = cull_result().get();
    char line[80];
    std::snprintf(line, sizeof line, "%d -> %d processes  \xC2\xB7  %d killed", counts.before, counts.after,
                  counts.killed);
    return line;
}

} // namespace tavrine
