#include "process/name_match.h"

#include "platform/ascii.h"

namespace tavrine {

std::string lowered_process_name(std::string_view name) {
    return ascii_lowered(name.substr(0, kProcessNameMax));
}

NameSet::NameSet(std::span<const char* const> names) {
    names_.reserve(names.size());
    for (const char* name : names) {
        names_.push_back(ascii_lowered(name));
    }
    std::sort(names_.begin(), names_.end());
    names_.erase(std::unique(names_.begin(), names_.end()), names_.end());
}

bool contains_any(std::string_view lowered_name, std::span<const char* const> patterns) {
    for (const char* pattern : patterns) {
        if (lowered_name.find(pattern) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

} // namespace tavrine
