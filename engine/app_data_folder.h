#pragma once
// The program's own settings folder: "Tavrine" in the per-user roaming folder, holding
// "gpu_first.cfg", "crosshair.cfg" and "hud.cfg". Copies left by the earlier product in its
// "Dunmarrow" folder (and "Zolt", for the crosshair file) are read when ours is missing, never
// written. Without a roaming folder every file lives flat in the temporary directory instead.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine {

enum class SettingsFile : std::uint8_t { GpuFirst, Crosshair, Hud };

// A settings file is a few dozen short lines; anything far larger is not one of ours.
inline constexpr std::uint64_t kMaxSettingsFileBytes = 64u << 10;

struct AppDataFolder {
    // Where `file` is written: roaming\Tavrine\<name>, else temp\<flat name>. Empty when
    // neither folder can be resolved.
    static std::string write_path(SettingsFile file);
    // The write path if that file exists, else the first legacy copy that exists, else the
    // write path.
    static std::string read_path(SettingsFile file);
    // The legacy copies of `file` that may exist, in the order they are read.
    static std::vector<std::string> legacy_paths(SettingsFile file);
    // The file at the read path in text mode (CRLF read as LF); nullopt when it cannot be read,
    // and when it is larger than kMaxSettingsFileBytes: then it is not read at all, and
    // `status_message` says so.
    static std::optional<std::string> read(SettingsFile file);
    // Creates the folders above the write path, then writes `text` there whole (LF written as
    // CRLF): the previous file stays as it was unless the new one is complete.
    static bool write(SettingsFile file, std::string_view text);
    // True when the write path or a legacy copy exists.
    static bool exists(SettingsFile file);
};

} // namespace tavrine
