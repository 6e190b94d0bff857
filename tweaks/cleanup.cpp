#include "tweaks/cleanup.h"

#include "engine/changes.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/utf16_text.h"
#include "tweaks/temp_files.h"

#include <cctype>
#include <cstdio>
#include <optional>
#include <string>

namespace tavrine {

namespace {

constexpr const char* kSystemRestore = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SystemRestore";

// clang-format off
constexpr Change kRestorePoint[] = {
    del(kSystemRestore, "RPSessionInterval"),
    del(kSystemRestore, "DisableConfig"),
    dword(kSystemRestore, "SystemRestorePointCreationFrequency", 0),
    run("powershell -ExecutionPolicy Unrestricted -NoProfile Enable-ComputerRestore -Drive 'C:\\'"),
    run("powershell -ExecutionPolicy Unrestricted -NoProfile Checkpoint-Computer -Description 'Tavrine Optimiser restore point'"),
};

constexpr Change kTelemetryOff[] = {
    service_stop("DiagTrack", 4),
    service_stop("dmwappushservice", 4),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection", "AllowTelemetry", 0),
    dword("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\DataCollection", "AllowTelemetry", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Privacy", "TailoredExperiencesWithDiagnosticDataEnabled", 0),
};
// clang-format on

constexpr const char* kBloatAppsCommand =
    "powershell -NoProfile -Command \"Get-AppxPackage | Where-Object { $_.Name -match "
    "'BingWeather|GetHelp|Getstarted|Messaging|Microsoft3DViewer|MicrosoftSolitaireCollection|"
    "MicrosoftStickyNotes|MixedReality.Portal|OneConnect|People|Print3D|SkypeApp|WindowsAlarms|WindowsMaps|"
    "WindowsFeedbackHub|WindowsSoundRecorder|YourPhone|ZuneMusic|3DBuilder|bingfinance|bingsports|CommsPhone|"
    "Sway' } | Remove-AppxPackage -ErrorAction SilentlyContinue; Get-AppxPackage -AllUsers | Where-Object { "
    "$_.Name -match 'BingWeather|GetHelp|MicrosoftSolitaireCollection|YourPhone|ZuneMusic|SkypeApp|"
    "WindowsFeedbackHub' } | Remove-AppxPackage -ErrorAction SilentlyContinue\"";

constexpr const char* kReTrimFormat = "powershell -NoProfile -Command \"Optimize-Volume -DriveLetter %c "
                                      "-ReTrim -ErrorAction SilentlyContinue\"";
constexpr const char* kDefragFormat = "powershell -NoProfile -Command \"Optimize-Volume -DriveLetter %c "
                                      "-Defrag -ErrorAction SilentlyContinue\"";

// Below the user's local application data folder.
constexpr const char* kBrowserCacheFolders[] = {
    "Google\\Chrome\\User Data\\Default\\Cache",
    "Google\\Chrome\\User Data\\Default\\Code Cache",
    "Google\\Chrome\\User Data\\Default\\GPUCache",
    "Microsoft\\Edge\\User Data\\Default\\Cache",
    "Microsoft\\Edge\\User Data\\Default\\Code Cache",
    "Microsoft\\Edge\\User Data\\Default\\GPUCache",
    "BraveSoftware\\Brave-Browser\\User Data\\Default\\Cache",
    "BraveSoftware\\Brave-Browser\\User Data\\Default\\Code Cache",
    "Opera Software\\Opera Stable\\Cache",
};

bool is_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A folder the clean-up may empty: an absolute path ("X:\..." or "\\server\share\...") that is
// not a drive root. A temporary folder pointed at "C:\" would otherwise empty the whole
// system drive of every file not in use.
bool is_cleanable_folder(const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/')) {
        trimmed.pop_back();
    }
    // "C:\." and "C:\Windows\.." are drive roots in disguise: no "." or ".." anywhere.
    for (std::size_t start = 0; start <= trimmed.size();) {
        const std::size_t end = std::min(trimmed.find_first_of("\\/", start), trimmed.size());
        const std::string_view part = std::string_view(trimmed).substr(start, end - start);
        if (part == "." || part == "..") {
            return false;
        }
        start = end + 1;
    }
    if (trimmed.size() > 3 && is_letter(trimmed[0]) && trimmed[1] == ':' && trimmed[2] == '\\') {
        return true;
    }
    if (trimmed.size() > 2 && trimmed[0] == '\\' && trimmed[1] == '\\') {
        // \\server\share alone is the root of a share: at least one folder below it.
        const std::size_t share = trimmed.find('\\', 2);
        return share != std::string::npos && trimmed.find('\\', share + 1) != std::string::npos;
    }
    return false;
}

// `path` lies below `folder`, compared as Windows compares names.
bool is_below(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() + 1 && istarts_with(path, folder) && path[folder.size()] == '\\';
}

// The user's folders are named in the user's own registry, which programs without
// administrator rights can change: one is accepted only inside the profile the system keeps
// for the account.
std::optional<std::string> user_folder(KnownFolder which) {
    Files& files = current_machine().files();
    const std::optional<std::string> profile = files.known_folder(KnownFolder::Profile);
    std::optional<std::string> folder = files.known_folder(which);
    if (!profile || !folder || !is_cleanable_folder(*profile) || !is_cleanable_folder(*folder) ||
        !is_below(*folder, *profile)) {
        return std::nullopt;
    }
    return folder;
}

std::optional<std::string> windows_folder() {
    std::optional<std::string> folder = current_machine().files().known_folder(KnownFolder::Windows);
    if (!folder || !is_cleanable_folder(*folder)) {
        return std::nullopt;
    }
    return folder;
}

// The temporary folder the environment names (GetTempPath), accepted only where programs
// without administrator rights cannot point it elsewhere to any effect: inside the user's
// profile, or the Windows temporary folder itself.
std::optional<std::string> temporary_folder() {
    Files& files = current_machine().files();
    const std::optional<std::string> temp = files.temp_folder();
    if (!temp) {
        return std::nullopt;
    }
    const std::optional<std::string> profile = files.known_folder(KnownFolder::Profile);
    const std::optional<std::string> windows = windows_folder();
    const bool in_profile = profile && is_cleanable_folder(*profile) && is_below(*temp, *profile);
    const bool windows_temp = windows && iequals(*temp, *windows + "\\Temp");
    if (!is_cleanable_folder(*temp) || !(in_profile || windows_temp)) {
        const std::string note = "skipped the temporary folder \"" + *temp +
                                 "\": it lies neither inside the user's profile nor is it the Windows "
                                 "temporary folder";
        plan_note(note.c_str());
        return std::nullopt;
    }
    return temp;
}

std::optional<std::string> below(const std::optional<std::string>& folder, const char* relative) {
    if (!folder) {
        return std::nullopt;
    }
    return *folder + "\\" + relative;
}

void clean_temp_tree(const std::optional<std::string>& folder) {
    if (folder) {
        delete_temp_tree(*folder);
    }
}

void clean_tree(const std::optional<std::string>& folder) {
    if (folder) {
        delete_files_in_tree(*folder);
    }
}

void clean_firefox_caches() {
    const std::optional<std::string> profiles =
        below(user_folder(KnownFolder::RoamingAppData), "Mozilla\\Firefox\\Profiles");
    if (!profiles) {
        return;
    }
    const auto entries = current_machine().files().list_folder(*profiles);
    if (!entries) {
        return;
    }
    for (const FolderEntry& entry : *entries) {
        const bool folder = (entry.attributes & kFileAttributeDirectory) != 0;
        // A profile that is a link leads somewhere else: left alone like any other link.
        const bool link = (entry.attributes & kFileAttributeReparsePoint) != 0;
        if (!folder || link || entry.name.empty() || entry.name[0] == '.') {
            continue;
        }
        const std::string cache = *profiles + "\\" + entry.name + "\\cache2";
        if (utf16_length(cache) < kMaxPath) {
            delete_files_in_tree(cache);
        }
    }
}

} // namespace

void create_restore_point() {
    apply_changes(kRestorePoint);
}

void clean_temp_files() {
    const std::optional<std::string> local = user_folder(KnownFolder::LocalAppData);
    const std::optional<std::string> windows = windows_folder();
    clean_temp_tree(temporary_folder());
    clean_temp_tree(below(local, "Temp"));
    clean_temp_tree(below(windows, "Temp"));
    clean_tree(below(local, "Microsoft\\Windows\\INetCache"));
    clean_tree(below(local, "CrashDumps"));
    clean_tree(below(windows, "Logs"));
    clean_tree(below(local, "Microsoft\\Windows\\WER\\ReportArchive"));
    run_hidden("powershell -NoProfile -Command \"Clear-RecycleBin -Force -ErrorAction SilentlyContinue\"");
}

void clean_browser_caches() {
    const std::optional<std::string> local = user_folder(KnownFolder::LocalAppData);
    for (const char* folder : kBrowserCacheFolders) {
        clean_tree(below(local, folder));
    }
    clean_firefox_caches();
}

void remove_bloat_apps() {
    run_hidden(kBloatAppsCommand);
}

void optimize_target_drive() {
    const char chosen = target_drive().load();
    if (chosen == '\0') {
        return;
    }
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(chosen)));
    if (letter < 'A' || letter > 'Z') {
        return;
    }
    // Only a drive that reports no seek penalty is known to be solid state; a spinning disk,
    // or a volume that cannot be opened or asked, gets a defragmentation.
    const bool solid_state = current_machine().files().seek_penalty(letter) == SeekPenalty::None;
    char command[220];
    std::snprintf(command, sizeof command, solid_state ? kReTrimFormat : kDefragFormat, letter);
    run_hidden(command);
}

void start_update_scan() {
    run_hidden("UsoClient StartInteractiveScan");
}

void disable_telemetry() {
    apply_changes(kTelemetryOff);
}

void hibernate_off() {
    run_hidden("powercfg /h off");
}

} // namespace tavrine
