#include "platform/ascii.h"

#include <algorithm>

namespace tavrine {

std::string ascii_lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), ascii_lower);
    return out;
}

bool iequals(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return ascii_lower(x) == ascii_lower(y);
           });
}

bool istarts_with(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && iequals(text.substr(0, prefix.size()), prefix);
}

bool icontains(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) {
        return true;
    }
    const auto hit = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                                 [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
    return hit != haystack.end();
}

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        // Windows sorts names upper-cased, which puts '_' after letters.
        const auto upper = [](char c) {
            return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        };
        return static_cast<unsigned char>(upper(x)) < static_cast<unsigned char>(upper(y));
    });
}

} // namespace tavrine
