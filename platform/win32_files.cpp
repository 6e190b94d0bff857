#include "platform/win32_files.h"

#include <windows.h>

namespace tavrine {

std::optional<std::uint32_t> Win32Files::attributes(std::string_view path) {
    const std::string text(path);
    const DWORD attributes = GetFileAttributesA(text.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    return attributes;
}

} // namespace tavrine
