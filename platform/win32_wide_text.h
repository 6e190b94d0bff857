#pragma once
// UTF-16 text from the wide Windows calls and UTF-8 text for the rest of the program.

#include <string>
#include <string_view>

namespace tavrine::win32 {

// Unpaired surrogates become U+FFFD, as WideCharToMultiByte gives them.
std::string utf8_from_wide(std::wstring_view text);
// Invalid UTF-8 sequences become U+FFFD, as MultiByteToWideChar gives them.
std::wstring wide_from_utf8(std::string_view text);

} // namespace tavrine::win32
