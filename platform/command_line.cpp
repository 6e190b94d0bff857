#include "platform/command_line.h"

#include "platform/ascii.h"

#include <algorithm>

namespace tavrine {

std::string interpreter_path(std::string_view system_folder) {
    return std::string(system_folder) + "\\cmd.exe";
}

std::optional<std::string> build_command_line(std::string_view system_folder, std::string_view command) {
    if (command.empty() || command.front() == '\0' || system_folder.empty()) {
        return std::nullopt;
    }
    const bool has_switch =
        command.size() >= 2 && command[0] == '/' && (command[1] == 'C' || command[1] == 'c');
    std::string line = "\"";
    line += interpreter_path(system_folder);
    line += "\" ";
    if (!has_switch) {
        line += "/c ";
    }
    line += command;
    return line;
}

std::vector<std::string> command_environment(std::string_view windows_folder,
                                             std::string_view system_folder) {
    const std::string windows(windows_folder);
    const std::string system(system_folder);
    const std::string temp = windows + "\\Temp";
    const std::string powershell = system + "\\WindowsPowerShell\\v1.0";
    std::vector<std::string> variables = {
        "ComSpec=" + interpreter_path(system),
        // Otherwise cmd looks for a program in the current folder before the search path.
        "NoDefaultCurrentDirectoryInExePath=1",
        "PATH=" + system + ";" + system + "\\Wbem;" + powershell,
        "PATHEXT=.COM;.EXE;.BAT;.CMD",
        // Modules load from the system's own folder only: not the user's Documents.
        "PSModulePath=" + powershell + "\\Modules",
        "SystemDrive=" + windows.substr(0, 2),
        "SystemRoot=" + windows,
        "TEMP=" + temp,
        "TMP=" + temp,
        "windir=" + windows,
    };
    // Sorted without regard to case, as Windows keeps an environment block.
    std::sort(variables.begin(), variables.end(), CaseInsensitiveLess{});
    return variables;
}

} // namespace tavrine
