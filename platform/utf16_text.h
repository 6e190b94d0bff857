#pragma once
// UTF-8, which the program holds its text in, and UTF-16, which Windows takes and hands out.
// The one conversion between them: the Win32 backends and the window shell cross with it.

#include <optional>
#include <string>
#include <string_view>

namespace tavrine {

// Appends one code point (at most U+10FFFF) to `out` in UTF-8.
void append_utf8(std::string& out, char32_t c);

// nullopt for text that is not well-formed UTF-8 (a broken, overlong or truncated sequence, an
// encoded surrogate, beyond U+10FFFF): such text names no file Windows could hold, and a
// substitute character would name another.
std::optional<std::u16string> utf16_from_utf8(std::string_view text);

// nullopt for a lone surrogate, which UTF-8 cannot carry.
std::optional<std::string> utf8_from_utf16(std::u16string_view text);

// How many UTF-16 units well-formed UTF-8 text takes (a path's length as Windows counts it).
std::size_t utf16_length(std::string_view text);

// For text only shown (a window's title, an adapter's description): whatever is not
// well-formed becomes U+FFFD.
std::string utf8_shown_from_utf16(std::u16string_view text);

} // namespace tavrine
