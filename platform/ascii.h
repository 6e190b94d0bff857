#pragma once
// ASCII case folding: the registry, service names and process names compare this way.

#include <string>
#include <string_view>

namespace tavrine {

constexpr char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ascii_lowered(std::string_view text);
bool iequals(std::string_view a, std::string_view b);
bool icontains(std::string_view haystack, std::string_view needle);
bool istarts_with(std::string_view text, std::string_view prefix);

// Orders names the way the registry enumerates sub-keys: case-insensitively.
struct CaseInsensitiveLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

} // namespace tavrine
