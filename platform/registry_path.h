#pragma once

#include "platform/machine.h"

#include <string_view>

namespace tavrine {

// A registry key path written as one 8-bit string with a hive prefix ("HKLM\", "HKCU\",
// "HKU\" and the long forms, any letter case). No prefix means HKEY_LOCAL_MACHINE.
using RegistryPath = const char*;

struct ParsedRegistryPath {
    Hive hive = Hive::LocalMachine;
    std::string_view sub_key; // points into the caller's text; nothing is copied
};

// False for a null or empty path; then `out` is left untouched.
bool parse_registry_path(const char* path, ParsedRegistryPath& out);

} // namespace tavrine
