#include "platform/win32/win32_libraries.h"

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_wide_text.h"

#include <string>

namespace tavrine::win32 {

HMODULE load_system_library(std::string_view name) {
    const std::optional<std::string> system = Win32Files().known_folder(KnownFolder::System);
    if (!system) {
        return nullptr;
    }
    const std::optional<std::wstring> path = wide_name_from_utf8(*system + "\\" + std::string(name));
    return path ? LoadLibraryExW(path->c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32) : nullptr;
}

HMODULE load_library_at(std::string_view full_path) {
    const std::optional<std::wstring> path = wide_name_from_utf8(full_path);
    return path ? LoadLibraryExW(path->c_str(), nullptr,
                                 LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32)
                : nullptr;
}

} // namespace tavrine::win32
