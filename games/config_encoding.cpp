#include "games/config_encoding.h"

#include "platform/utf16_text.h"

#include <cstdint>

namespace tavrine {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void append_utf16le(std::string& out, char32_t c) {
    const auto unit = [&out](std::uint32_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    };
    if (c < 0x10000) {
        unit(c);
    } else {
        c -= 0x10000;
        unit(0xD800 | (c >> 10));
        unit(0xDC00 | (c & 0x3FF));
    }
}

bool is_high_surrogate(std::uint32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool is_low_surrogate(std::uint32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// One code point from well-formed UTF-8 at `at` (advanced past it); U+FFFD for one byte when
// the sequence there is broken, overlong, a surrogate or beyond U+10FFFF.
char32_t next_code_point(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    int length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        ++at;
        return kReplacement;
    }
    if (text.size() - at < static_cast<std::size_t>(length)) {
        ++at;
        return kReplacement;
    }
    for (int i = 1; i < length; ++i) {
        const auto follow = static_cast<unsigned char>(text[at + i]);
        if ((follow & 0xC0) != 0x80) {
            ++at;
            return kReplacement;
        }
        c = (c << 6) | (follow & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++at;
        return kReplacement;
    }
    at += length;
    return c;
}

} // namespace

ConfigText decode_config_text(std::string_view bytes) {
    ConfigText result;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        result.was_utf16 = true;
        const std::size_t units = (bytes.size() - 2) / 2;
        const auto unit_at = [&bytes](std::size_t i) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 + 2 * i])) |
                   static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[3 + 2 * i])) << 8;
        };
        result.text.reserve(units);
        for (std::size_t i = 0; i < units; ++i) {
            const std::uint32_t u = unit_at(i);
            if (is_high_surrogate(u) && i + 1 < units && is_low_surrogate(unit_at(i + 1))) {
                append_utf8(result.text, 0x10000 + ((u - 0xD800) << 10) + (unit_at(i + 1) - 0xDC00));
                ++i;
            } else if (is_high_surrogate(u) || is_low_surrogate(u)) {
                append_utf8(result.text, kReplacement);
            } else {
                append_utf8(result.text, u);
            }
        }
        while (!result.text.empty() && result.text.back() == '\0') {
            result.text.pop_back();
        }
        return result;
    }
    if (bytes.size() > 2 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
        static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF) {
        bytes.remove_prefix(3);
    }
    result.text.assign(bytes);
    return result;
}

std::string encode_config_text(std::string_view text, bool as_utf16) {
    if (!as_utf16) {
        return std::string(text);
    }
    std::string out = "\xFF\xFE";
    out.reserve(2 + text.size() * 2);
    for (std::size_t at = 0; at < text.size();) {
        append_utf16le(out, next_code_point(text, at));
    }
    return out;
}

} // namespace tavrine
