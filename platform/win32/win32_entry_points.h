#pragma once
// Optional entry points, looked up by name at each use and never cached: an export a Windows
// version, a driver or Wine may lack comes back null and the caller does without it.

#include <windows.h>

namespace tavrine::win32 {

// An export of a module the caller holds (loaded by it, or already in the process); null when
// the module or the export is missing.
template <typename Fn> Fn entry_point(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// An export of a module already in the process (kernel32, ntdll, ...); nothing is loaded.
// ASCII by construction: module names are the program's own literals, never a path.
template <typename Fn> Fn loaded_entry_point(const char* module, const char* name) {
    return entry_point<Fn>(GetModuleHandleA(module), name);
}

} // namespace tavrine::win32
