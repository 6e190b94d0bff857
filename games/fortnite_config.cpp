#include "games/fortnite_config.h"

#include "engine/primitives.h"
#include "games/compat_layers.h"
#include "games/config_encoding.h"
#include "games/fortnite_edits.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "process/game_clamp.h"

#include <optional>
#include <string>

namespace tavrine {

namespace {

constexpr const char* kConfigRoot = "FortniteGame"; // below the user's local application data
// The game's platform folders, in order. "WindowsClient" is always edited (made when
// missing); the others only when the game has made them.
constexpr const char* kPlatformFolders[] = {"WindowsClient", "Windows", "WinGDK", "WindowsNoEditor"};
constexpr const char* kAlwaysEdited = "WindowsClient";

std::string joined(std::string_view folder, std::string_view name) {
    std::string path(folder);
    path.append("\\").append(name);
    return path;
}

bool is_folder(std::string_view path) {
    const std::optional<std::uint32_t> attributes = current_machine().files().attributes(path);
    return attributes && (*attributes & kFileAttributeDirectory) != 0;
}

bool exists(std::string_view path) {
    return current_machine().files().attributes(path).has_value();
}

// "C:\..." or "\\server\...": an unset variable left as "%LOCALAPPDATA%" would otherwise name
// a folder relative to wherever the program was started.
bool is_absolute(std::string_view path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
    return drive || path.starts_with("\\\\");
}

struct ConfigFile {
    std::string text;
    bool as_utf16 = true; // a new file is written as the game writes it
};

// The file as text, or nothing when it must be left alone. A missing file is an empty one.
std::optional<ConfigFile> read_config_file(std::string_view path) {
    Files& files = current_machine().files();
    const std::optional<std::uint32_t> attributes = files.attributes(path);
    if (!attributes) {
        return ConfigFile{};
    }
    if ((*attributes & kFileAttributeDirectory) != 0) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> size = files.file_size(path);
    if (!size || *size > kMaxConfigFileBytes) {
        return std::nullopt;
    }
    // Held by the running game or refused: rewriting it from nothing would lose the user's file.
    const std::optional<std::string> bytes = files.read_file(path);
    if (!bytes || bytes->size() > kMaxConfigFileBytes) {
        return std::nullopt;
    }
    if (bytes->empty()) {
        return ConfigFile{};
    }
    const ConfigText decoded = decode_config_text(*bytes);
    return ConfigFile{decoded.text, decoded.was_utf16};
}

// A preview (the plan) shows every setting the merge writes into the file.
void note_edits(std::string_view path, std::span<const IniEdit> edits) {
    for (const IniEdit& edit : edits) {
        std::string line = "INI ";
        line.append(path).append(" [").append(edit.section).append("] ");
        line.append(edit.key).append("=").append(edit.value);
        plan_note(line.c_str());
    }
}

} // namespace

BackupOutcome make_first_backup(std::string_view path) {
    const std::string backup = std::string(path) + kBackupSuffix;
    if (exists(backup) || exists(std::string(path) + kLegacyBackupSuffix) || !exists(path)) {
        return BackupOutcome::NotDue;
    }
    return current_machine().files().copy_file(path, backup, true) ? BackupOutcome::Made
                                                                   : BackupOutcome::Failed;
}

bool write_whole_file(std::string_view path, std::string_view bytes) {
    Files& files = current_machine().files();
    const std::optional<std::uint32_t> attributes = files.attributes(path);
    // The game or the user may have made it read-only; the replace would be refused.
    const bool read_only = attributes && (*attributes & kFileAttributeReadOnly) != 0;
    if (read_only) {
        files.set_attributes(path, kFileAttributeNormal);
    }
    if (files.write_file_whole(path, bytes)) {
        return true;
    }
    if (read_only) {
        files.set_attributes(path, *attributes);
    }
    return false;
}

IniFileOutcome edit_ini_file(std::string_view path, std::span<const IniEdit> edits) {
    // A link planted in the game's folder would turn this elevated read, backup and write
    // against some other file; every file operation refuses it, this says why.
    if (!current_machine().files().path_is_plain(path)) {
        const std::string note = std::string(path) + " is left as it is: a link leads it to another place";
        plan_note(note.c_str());
        return IniFileOutcome::LeftAlone;
    }
    std::optional<ConfigFile> file = read_config_file(path);
    if (!file) {
        const std::string note = std::string(path) + " is left as it is: too big, or it cannot be read";
        plan_note(note.c_str());
        return IniFileOutcome::LeftAlone;
    }
    apply_ini_edits(file->text, edits);
    note_edits(path, edits);
    const std::string text = with_crlf_line_ends(file->text);

    const std::size_t slash = path.find_last_of('\\');
    if (slash != std::string_view::npos) {
        current_machine().files().create_folders(path.substr(0, slash));
    }
    // Without its backup the user's own version could be lost for good: no backup, no edit.
    if (make_first_backup(path) == BackupOutcome::Failed) {
        return IniFileOutcome::LeftAlone;
    }
    return write_whole_file(path, encode_config_text(text, file->as_utf16)) ? IniFileOutcome::Written
                                                                            : IniFileOutcome::WriteFailed;
}

void apply_fortnite_performance_config() {
    Files& files = current_machine().files();
    const std::optional<std::string> local = files.known_folder(KnownFolder::LocalAppData);
    const std::optional<std::string> root =
        local ? std::optional<std::string>(joined(*local, kConfigRoot)) : std::nullopt;
    if (!root || root->empty() || !is_absolute(*root) || !is_folder(*root)) {
        plan_note("Fortnite is not installed for this user (no %LOCALAPPDATA%\\FortniteGame): nothing of its "
                  "configuration is changed");
        return;
    }
    const std::string config = joined(*root, "Saved\\Config");
    files.create_folders(config);
    for (const char* platform : kPlatformFolders) {
        const std::string folder = joined(config, platform);
        if (!is_folder(folder) && std::string_view(platform) != kAlwaysEdited) {
            continue;
        }
        files.create_folders(folder);
        edit_ini_file(joined(folder, "GameUserSettings.ini"), game_user_settings_edits());
        edit_ini_file(joined(folder, "Engine.ini"), engine_edits());
    }
    clear_perf_options(kFortniteExe);
    set_fullscreen_layer(kFortniteExe);
    write_directx_global_settings();
}

} // namespace tavrine
