#pragma once
// How a hidden command is started: the interpreter by its full path in the system folder,
// and an environment built from the system's own folders, so that nothing the user's programs
// can set (the current folder, PATH, any variable) decides what runs.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine {

// The interpreter itself: "<system>\cmd.exe".
std::string interpreter_path(std::string_view system_folder);

// The command interpreter line for a hidden command: "\"<system>\cmd.exe\" /c <command>", or
// without the "/c" when the command already starts with "/C" or "/c". Nothing is quoted;
// redirections in the command are the interpreter's to perform. Nullopt for an empty command
// or an unknown system folder.
std::optional<std::string> build_command_line(std::string_view system_folder, std::string_view command);

// The whole environment of a hidden command, one "NAME=value" each, sorted by name: the
// Windows and system folders and the search path through them, the Windows temporary folder,
// and no search of the current folder for programs. Nothing is inherited.
std::vector<std::string> command_environment(std::string_view windows_folder, std::string_view system_folder);

} // namespace tavrine
