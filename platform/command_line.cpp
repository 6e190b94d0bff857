#include "platform/command_line.h"

namespace tavrine {

std::optional<std::string> build_command_line(std::string_view command) {
    if (command.empty() || command.front() == '\0') {
        return std::nullopt;
    }
    const bool has_switch =
        command.size() >= 2 && command[0] == '/' && (command[1] == 'C' || command[1] == 'c');
    std::string line = "cmd.exe ";
    if (!has_switch) {
        line += "/c ";
    }
    line += command;
    return line;
}

} // namespace tavrine
