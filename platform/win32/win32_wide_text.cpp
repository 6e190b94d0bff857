#include "platform/win32/win32_wide_text.h"

#include "platform/utf16_text.h"

namespace tavrine::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide text is UTF-16");

namespace {

std::u16string_view as_utf16(std::wstring_view text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

} // namespace

std::optional<std::string> utf8_from_wide(std::wstring_view text) {
    return utf8_from_utf16(as_utf16(text));
}

std::string shown_utf8_from_wide(std::wstring_view text) {
    return utf8_shown_from_utf16(as_utf16(text));
}

std::optional<std::wstring> wide_from_utf8(std::string_view text) {
    const std::optional<std::u16string> wide = utf16_from_utf8(text);
    if (!wide) {
        return std::nullopt;
    }
    return std::wstring(reinterpret_cast<const wchar_t*>(wide->data()), wide->size());
}

std::optional<std::wstring> wide_name_from_utf8(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    return wide_from_utf8(text);
}

} // namespace tavrine::win32
