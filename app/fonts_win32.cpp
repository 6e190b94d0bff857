#include "app/fonts.h"

#include <windows.h>

namespace tavrine {

std::string find_font_file(const std::string& file_name) {
    char exe_path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, exe_path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return find_font_file_from(exe_path, file_name);
}

} // namespace tavrine
