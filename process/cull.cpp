#include "process/cull.h"

#include "engine/modules.h"
#include "engine/primitives.h"
#include "platform/system_state.h"
#include "process/cull_lists.h"
#include "process/kill.h"
#include "process/name_match.h"
#include "process/process_walk.h"
#include "process/protected_processes.h"

#include <algorithm>
#include <cstdio>

namespace tavrine {

namespace {

constexpr const char* kUpdaterWords[] = {"update",    "updater",  "crashpad", "crashreporter",
                                         "telemetry", "reporter", "install"};

// Deep sweep, first stage: a name with one of these (or else "host") is a candidate.
constexpr const char* kSweepWords[] = {
    "helper",  "cef",         "webview",         "notification", "overlay",  "presence",      "widget",
    "gamebar", "yourphone",   "phoneexperience", "bing",         "cortana",  "supportassist", "techhub",
    "armoury", "mysticlight", "vantage",         "jumpstart",    "onedrive", "teams",         "skype",
    "spotify", "edge",        "chrome",          "broker",
};
// Second stage: a "host" or "broker" candidate goes on only with one of these as well.
constexpr const char* kHostWords[] = {"phone", "widget",   "search", "background", "runtime",
                                      "oob",   "settings", "game",   "xbox",       "cross"};
// Final guard of the sweep, on top of the protected test.
constexpr const char* kSweepNeverNames[] = {"explorer.exe", "dwm.exe", "csrss.exe", "winlogon.exe"};

// The seven Office document editors, which may hold unsaved work.
constexpr const char* kDocumentEditors[] = {"winword.exe", "excel.exe",    "powerpnt.exe", "outlook.exe",
                                            "onenote.exe", "msaccess.exe", "mspub.exe"};

// Office editors "Office BG" used to end with "taskkill /F" before the passes; asked instead.
constexpr const char* kOfficeEditorsAskedFirst[] = {"WINWORD.EXE", "EXCEL.EXE", "OUTLOOK.EXE"};

constexpr const char* kCloudSyncKillCommands[] = {
    "taskkill /F /IM OneDrive.exe /T >nul 2>&1",
    "taskkill /F /IM Dropbox.exe /T >nul 2>&1",
    "taskkill /F /IM GoogleDriveFS.exe /T >nul 2>&1",
};

constexpr const char* kPerUserServiceScript =
    "powershell -NoProfile -Command \"Get-Service -ErrorAction SilentlyContinue | Where-Object { $_.Name "
    "-match '^(BcastDVRUserService|CaptureService|cbdhsvc|CDPUserSvc|OneSyncSvc|WpnUserService|"
    "MessagingService)_' } | ForEach-Object { Stop-Service $_.Name -Force -ErrorAction SilentlyContinue; "
    "Set-Service $_.Name -StartupType Manual -ErrorAction SilentlyContinue }\"";

constexpr std::uint32_t kDemandStart = 3;
constexpr std::uint32_t kDisabled = 4;
constexpr int kFirstPasses = 6;
constexpr int kSecondPasses = 4;

struct CullSets {
    NameSet bloat{kBloatProcesses};
    NameSet oem{kOemProcesses};
    NameSet updaters{kUpdaterProcesses};
    NameSet office{kOfficeProcesses};
    NameSet cloud_sync{kCloudSyncProcesses};
    NameSet editors{kDocumentEditors};
    NameSet sweep_never{kSweepNeverNames};
};

const CullSets& sets() {
    static const CullSets cull_sets;
    return cull_sets;
}

bool contains(std::string_view lowered_name, const char* word) {
    return lowered_name.find(word) != std::string_view::npos;
}

bool swept(std::string_view name) {
    const bool has_host = contains(name, "host");
    if (!contains_any(name, kSweepWords) && !has_host) {
        return false;
    }
    if ((has_host || contains(name, "broker")) && !contains_any(name, kHostWords)) {
        return false;
    }
    return !is_protected_lowered(name) && !sets().sweep_never.contains_lowered(name);
}

void sleep_ms(std::uint32_t milliseconds) {
    current_machine().system_state().sleep_ms(milliseconds);
}

void run_formatted(const char* format, const char* argument) {
    char command[160];
    std::snprintf(command, sizeof command, format, argument);
    run_hidden(command);
}

void stop_cull_services(const CullOptions& /*options*/) {
    for (const char* service : kCullServices) {
        stop_and_set_start_type(service, kDemandStart);
    }
    if (module_arms().armed(Module::SysMain)) {
        stop_and_set_start_type("SysMain", kDisabled);
    }
    // Streamers keep their capture and clipboard services.
    if (profile_preset().load() != static_cast<std::int32_t>(ProfilePresetIndex::Streamer)) {
        run_hidden(kPerUserServiceScript);
    }
}

} // namespace

CullOptions read_cull_options() {
    const ModuleArms& arms = module_arms();
    CullOptions options;
    options.bloat_list = arms.armed(Module::CullBloatList);
    options.oem_suite = arms.armed(Module::CullOemSuite);
    options.updaters = arms.armed(Module::CullUpdaters);
    options.deep_sweep = arms.armed(Module::CullDeepSweep);
    options.services = arms.armed(Module::CullServices);
    options.startup = arms.armed(Module::CullStartup);
    options.office = arms.armed(Module::CullOffice);
    options.cloud_sync = arms.armed(Module::CullCloudSync);
    return options;
}

CullVerdict cull_verdict(std::string_view name, const CullOptions& options) {
    const CullSets& lists = sets();
    if (is_protected_lowered(name)) {
        return {};
    }
    if (options.bloat_list && lists.bloat.contains_lowered(name)) {
        return {CullAction::Terminate, "bloat list"};
    }
    if (options.oem_suite && lists.oem.contains_lowered(name)) {
        return {CullAction::Terminate, "OEM suite"};
    }
    if (options.updaters) {
        if (lists.updaters.contains_lowered(name)) {
            return {CullAction::Terminate, "updaters"};
        }
        // The protected test already said no above; asking again costs nothing and keeps the
        // pattern rule safe on its own.
        if (contains_any(name, kUpdaterWords) && !is_protected_lowered(name)) {
            return {CullAction::Terminate, "updater pattern"};
        }
    }
    if (options.office && lists.office.contains_lowered(name)) {
        if (lists.editors.contains_lowered(name)) {
            return {CullAction::AskToClose, "Office BG, asked to close"};
        }
        return {CullAction::Terminate, "Office BG"};
    }
    if (options.cloud_sync && lists.cloud_sync.contains_lowered(name)) {
        return {CullAction::Terminate, "cloud sync"};
    }
    if (options.deep_sweep && swept(name)) {
        return {CullAction::Terminate, "deep sweep"};
    }
    return {};
}

int cull_pass(const CullOptions& options, CloseRequests* close_requests) {
    int credited = 0;
    for_each_process([&](std::uint32_t pid, std::string_view name) {
        const std::string lowered = lowered_process_name(name);
        const CullVerdict verdict = cull_verdict(lowered, options);
        switch (verdict.action) {
        case CullAction::Spare:
            return;
        case CullAction::Terminate:
            credited += kill_process(pid, name, verdict.rule) ? 1 : 0;
            return;
        case CullAction::AskToClose:
            if (close_requests != nullptr) {
                if (close_requests->asked(lowered)) {
                    return; // its user has been asked once this run; staying open is their answer
                }
                close_requests->mark(lowered);
            }
            credited += ask_to_close(pid, name) ? 1 : 0;
            return;
        }
    });
    return credited;
}

void run_cpu_cull() {
    const CullOptions options = read_cull_options();
    CullResult& result = cull_result();
    CloseRequests close_requests;

    enable_debug_privilege();
    const int before = count_processes();
    result.before.store(before);

    if (options.bloat_list) {
        for (const char* image : kBloatKillNames) {
            run_formatted("taskkill /F /IM \"%s\" /T >nul 2>&1", image);
        }
    }
    if (options.cloud_sync) {
        for (const char* command : kCloudSyncKillCommands) {
            run_hidden(command);
        }
    }
    if (options.office) {
        run_hidden("taskkill /F /IM OfficeClickToRun.exe /T >nul 2>&1");
        // Without /F: the editor gets a close request and may offer to save first.
        for (const char* editor : kOfficeEditorsAskedFirst) {
            run_formatted("taskkill /IM %s >nul 2>&1", editor);
            close_requests.mark(lowered_process_name(editor));
        }
    }
    sleep_ms(300);

    plan_note("each pass below tests every running process in rule order; a preview counts a "
              "process it would end as gone, so later passes do not list it again");
    int credited = 0;
    for (int pass = 0; pass < kFirstPasses; ++pass) {
        credited += cull_pass(options, &close_requests);
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
        credited += cull_pass(options, &close_requests);
        sleep_ms(200);
    }

    const int after = count_processes();
    result.after.store(after);
    // Respawns are ended and counted again, so the credit may exceed the drop; it is never
    // reported below it.
    result.killed.store(std::max(credited, before - after));
}

CullResult& cull_result() {
    static CullResult result;
    return result;
}

std::string cull_result_line() {
    const CullResult& result = cull_result();
    char line[80];
    std::snprintf(line, sizeof line, "%d -> %d processes  \xC2\xB7  %d killed", result.before.load(),
                  result.after.load(), result.killed.load());
    return line;
}

} // namespace tavrine
