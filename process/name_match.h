#pragma once
// Process-name matching. Names are folded to lower case once (ASCII, as the C library's tolower
// does in the "C" locale) and then compared whole against a sorted set, or searched for a
// pattern. A few hundred names per process stay cheap this way.

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine {

// A process name as a snapshot gives it: at most 259 characters (a 260-byte buffer).
inline constexpr std::size_t kProcessNameMax = 259;

std::string lowered_process_name(std::string_view name);

// A fixed list of names, folded and sorted once, tested for whole-name equality.
class NameSet {
public:
    explicit NameSet(std::span<const char* const> names);
    bool contains_lowered(std::string_view lowered_name) const {
        return std::binary_search(names_.begin(), names_.end(), lowered_name);
    }

private:
    std::vector<std::string> names_; // lower case, sorted, without repeats
};

// True when the lower-case name contains any of the lower-case patterns.
bool contains_any(std::string_view lowered_name, std::span<const char* const> patterns);

} // namespace tavrine
