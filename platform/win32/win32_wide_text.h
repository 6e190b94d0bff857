#pragma once
// The program's UTF-8 text as the wide ("W") Windows calls take it, and back: the conversion
// of platform/utf16_text.h in Windows' own string type.

#include <optional>
#include <string>
#include <string_view>

namespace tavrine::win32 {

// nullopt for a lone surrogate: no UTF-8 name stands for it.
std::optional<std::string> utf8_from_wide(std::wstring_view text);
// Whatever is not well-formed becomes U+FFFD: for text only shown or kept as data.
std::string shown_utf8_from_wide(std::wstring_view text);
// nullopt for text that is not well-formed UTF-8: it names nothing Windows holds.
std::optional<std::wstring> wide_from_utf8(std::string_view text);
// A path or a name for a call that takes a null-terminated string: refused as well when it
// holds a null, which would have the call act on the part before it.
std::optional<std::wstring> wide_name_from_utf8(std::string_view text);

} // namespace tavrine::win32
