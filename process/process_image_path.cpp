#include "process/process_image_path.h"

#include "engine/primitives.h"
#include "platform/ascii.h"
#include "platform/processes.h"

#include <cstdint>
#include <optional>

namespace tavrine {

std::string find_process_image_path(std::string_view name) {
    Processes& processes = current_machine().processes();
    for (const std::uint32_t pid : processes.process_ids()) {
        if (pid == 0) {
            continue;
        }
        const std::optional<std::string> path = processes.image_path(pid);
        if (!path) {
            continue;
        }
        const std::size_t slash = path->find_last_of("\\/");
        const std::string_view file_name =
            slash == std::string::npos ? std::string_view(*path) : std::string_view(*path).substr(slash + 1);
        if (iequals(file_name, name)) {
            return *path;
        }
    }
    return {};
}

} // namespace tavrine
