#include "platform/utf16_text.h"

#include <cstdint>

namespace tavrine {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kBroken = 0xFFFFFFFF;

bool is_high_surrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool is_low_surrogate(char32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// The code point at `at` (advanced past it), or kBroken (advanced past the lone unit).
char32_t next_from_utf16(std::u16string_view text, std::size_t& at) {
    const char32_t unit = text[at++];
    if (is_high_surrogate(unit) && at < text.size() && is_low_surrogate(text[at])) {
        return 0x10000 + ((unit - 0xD800) << 10) + (text[at++] - 0xDC00);
    }
    return is_high_surrogate(unit) || is_low_surrogate(unit) ? kBroken : unit;
}

// The code point at `at` (advanced past it), or kBroken when the sequence there is not
// well-formed.
char32_t next_from_utf8(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return kBroken;
    }
    if (text.size() - at < length) {
        return kBroken;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto follow = static_cast<unsigned char>(text[at + i]);
        if ((follow & 0xC0) != 0x80) {
            return kBroken;
        }
        c = (c << 6) | (follow & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || is_high_surrogate(c) || is_low_surrogate(c)) {
        return kBroken;
    }
    at += length;
    return c;
}

} // namespace

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::optional<std::u16string> utf16_from_utf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t c = next_from_utf8(text, at);
        if (c == kBroken) {
            return std::nullopt;
        }
        if (c < 0x10000) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return out;
}

std::optional<std::string> utf8_from_utf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t c = next_from_utf16(text, at);
        if (c == kBroken) {
            return std::nullopt;
        }
        append_utf8(out, c);
    }
    return out;
}

std::size_t utf16_length(std::string_view text) {
    std::size_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        // One unit for each lead byte, two for the lead of a four-byte sequence.
        units += (byte & 0xC0) != 0x80 ? 1 : 0;
        units += byte >= 0xF0 ? 1 : 0;
    }
    return units;
}

std::string utf8_shown_from_utf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t c = next_from_utf16(text, at);
        append_utf8(out, c == kBroken ? kReplacement : c);
    }
    return out;
}

} // namespace tavrine
