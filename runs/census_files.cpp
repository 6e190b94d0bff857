#include "runs/census_files.h"

namespace tavrine {

std::optional<std::uint32_t> CensusFiles::attributes(std::string_view path) {
    if (std::optional<std::uint32_t> found = inner_.attributes(path)) {
        return found;
    }
    const std::size_t slash = path.find_last_of('\\');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.empty() || name.find('.') != std::string_view::npos) {
        return std::nullopt;
    }
    return kFileAttributeDirectory;
}

} // namespace tavrine
