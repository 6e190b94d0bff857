#pragma once
// Fortnite's "Performance Mode": the game's own configuration files rewritten (INI merge, the
// file's encoding kept, one backup before the first edit ever), then the executable's stale
// priority overrides cleared, its fullscreen layer set and the DirectX global settings written.

#include "games/ini_text.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tavrine {

inline constexpr const char* kFortniteExe = "FortniteClient-Win64-Shipping.exe";
inline constexpr const char* kBackupSuffix = ".tavrine.bak";
inline constexpr const char* kLegacyBackupSuffix = ".dunmarrow.bak";
// A configuration file bigger than this is not the game's: it is left alone.
inline constexpr std::uint64_t kMaxConfigFileBytes = 0x400000;

// Does nothing at all (not even the registry values) unless "%LOCALAPPDATA%\FortniteGame"
// is an existing folder: the game is not installed for this user.
void apply_fortnite_performance_config();

enum class IniFileOutcome : std::uint8_t {
    Written,
    LeftAlone,   // a link, too big, size unknown, unreadable, or its first backup could not be made
    WriteFailed, // the old file is still there as it was
};

// Reads `path` (a missing file is a new, empty UTF-16 one), merges `edits` in order, makes the
// first backup when due, and writes the result whole in the encoding the file came in.
IniFileOutcome edit_ini_file(std::string_view path, std::span<const IniEdit> edits);

enum class BackupOutcome : std::uint8_t {
    Made,
    NotDue, // a backup (ours or the legacy one) exists already, or there is no file to copy
    Failed,
};

// Copies `path` to path + ".tavrine.bak" unless that or path + ".dunmarrow.bak" exists. A
// backup, once made, is never overwritten.
BackupOutcome make_first_backup(std::string_view path);

// Clears a read-only attribute, then writes `bytes` whole (temporary file beside the target,
// then replace). On failure the old file and its attributes stay as they were.
bool write_whole_file(std::string_view path, std::string_view bytes);

} // namespace tavrine
