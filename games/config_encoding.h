#pragma once
// A game configuration file's bytes as text and back, in the encoding it came in: UTF-16LE
// with its byte-order mark, or UTF-8 (a UTF-8 byte-order mark is dropped and not written back).
// The conversions follow the system's CP_UTF8 conversions: a lone surrogate or a broken UTF-8
// sequence becomes U+FFFD, so nothing is ever refused.

#include <string>
#include <string_view>

namespace tavrine {

struct ConfigText {
    std::string text; // UTF-8
    bool was_utf16 = false;
};

// UTF-16LE when the bytes start with FF FE (trailing NULs removed, an odd last byte ignored);
// otherwise the bytes as they are, after an EF BB BF mark when there is more than the mark.
ConfigText decode_config_text(std::string_view bytes);

// FF FE and UTF-16LE units without a terminator, or the UTF-8 bytes as they are.
std::string encode_config_text(std::string_view text, bool as_utf16);

} // namespace tavrine
