#pragma once
// Libraries this elevated program loads itself, each by its full path: a library found by name
// could be one a program without administrator rights put in the current folder, beside the
// executable or on the PATH.

#include <windows.h>

#include <string_view>

namespace tavrine::win32 {

// <System32>\<name>; null when it is missing or the system folder is unknown.
HMODULE load_system_library(std::string_view name);

// A library at a full path in a folder only administrators may write (a vendor's install
// folder), with its own dependencies from that folder and System32; null when missing.
HMODULE load_library_at(std::string_view full_path);

} // namespace tavrine::win32
