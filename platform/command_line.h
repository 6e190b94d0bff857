#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrine {

// The command interpreter line for a hidden command: "cmd.exe /c <command>", or
// "cmd.exe <command>" when the command already starts with "/C" or "/c". Nothing is quoted;
// redirections in the command are the interpreter's to perform. Nullopt for an empty command.
std::optional<std::string> build_command_line(std::string_view command);

} // namespace tavrine
