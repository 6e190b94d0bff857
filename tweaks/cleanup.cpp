#include "tweaks/cleanup.h"

#include "engine/changes.h"
#include "platform/files.h"
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

constexpr const char* kBrowserCacheFolders[] = {
    "%LOCALAPPDATA%\\Google\\Chrome\\User Data\\Default\\Cache",
    "%LOCALAPPDATA%\\Google\\Chrome\\User Data\\Default\\Code Cache",
    "%LOCALAPPDATA%\\Google\\Chrome\\User Data\\Default\\GPUCache",
    "%LOCALAPPDATA%\\Microsoft\\Edge\\User Data\\Default\\Cache",
    "%LOCALAPPDATA%\\Microsoft\\Edge\\User Data\\Default\\Code Cache",
    "%LOCALAPPDATA%\\Microsoft\\Edge\\User Data\\Default\\GPUCache",
    "%LOCALAPPDATA%\\BraveSoftware\\Brave-Browser\\User Data\\Default\\Cache",
    "%LOCALAPPDATA%\\BraveSoftware\\Brave-Browser\\User Data\\Default\\Code Cache",
    "%LOCALAPPDATA%\\Opera Software\\Opera Stable\\Cache",
};

bool is_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A folder the clean-up may empty: an absolute path ("X:\..." or "\\server\share\...") that is
// not a drive root. A variable that is not set stays as "%NAME%" after expansion, which
// would make the walk relative to whatever the current folder is; and a TEMP pointed at
// "C:\" would otherwise empty the whole system drive of every file not in use.
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

// The folder text with its variables expanded into 260 bytes; nothing when the expansion
// fails, is empty, or names no folder the clean-up may touch.
std::optional<std::string> expanded_folder(const char* text) {
    std::optional<std::string> expanded = current_machine().files().expand_environment(text);
    if (!expanded || expanded->empty()) {
        return std::nullopt;
    }
    if (!is_cleanable_folder(*expanded)) {
        const std::string note = "skipped " + std::string(text) + ": it expands to \"" + *expanded +
                                 "\", which is not a folder below a drive root";
        plan_note(note.c_str());
        return std::nullopt;
    }
    return expanded;
}

void clean_temp_tree(const char* text) {
    if (const auto folder = expanded_folder(text)) {
        delete_temp_tree(*folder);
    }
}

void clean_tree(const char* text) {
    if (const auto folder = expanded_folder(text)) {
        delete_files_in_tree(*folder);
    }
}

void clean_firefox_caches() {
    const std::optional<std::string> profiles = expanded_folder("%APPDATA%\\Mozilla\\Firefox\\Profiles");
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
        char cache[kMaxPath];
        const int length =
            std::snprintf(cache, sizeof cache, "%s\\%s\\cache2", profiles->c_str(), entry.name.c_str());
        if (length > 0 && static_cast<std::size_t>(length) < sizeof cache) {
            delete_files_in_tree(cache);
        }
    }
}

} // namespace

std::atomic<char>& target_drive() {
    static std::atomic<char> letter{'C'};
    return letter;
}

void create_restore_point() {
    apply_changes(kRestorePoint);
}

void clean_temp_files() {
    clean_temp_tree("%TEMP%");
    clean_temp_tree("%LOCALAPPDATA%\\Temp");
    clean_temp_tree("%WINDIR%\\Temp");
    clean_tree("%LOCALAPPDATA%\\Microsoft\\Windows\\INetCache");
    run_hidden("Del /f /q \"%LOCALAPPDATA%\\CrashDumps\\*.*\" >nul 2>&1");
    clean_tree("%WINDIR%\\Logs");
    clean_tree("%LOCALAPPDATA%\\Microsoft\\Windows\\WER\\ReportArchive");
    run_hidden("powershell -NoProfile -Command \"Clear-RecycleBin -Force -ErrorAction SilentlyContinue\"");
}

void clean_browser_caches() {
    for (const char* folder : kBrowserCacheFolders) {
        clean_tree(folder);
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
