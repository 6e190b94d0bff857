#include "process/running_exes.h"

#include "platform/machine.h"
#include "platform/processes.h"

#include <algorithm>

namespace tavrine {

std::vector<std::string> running_exe_names() {
    Processes& processes = current_machine().processes();
    std::vector<std::string> names;
    for (const std::uint32_t pid : processes.process_ids()) {
        if (std::optional<std::string> name = processes.main_module_name(pid)) {
            names.push_back(std::move(*name));
        }
    }
    // std::string compares as unsigned bytes: "Game.exe" < "game.exe" < "game.exe2".
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace tavrine
