#include "platform/registry_path.h"

#include "platform/ascii.h"

#include <array>
#include <cstring>

namespace tavrine {

namespace {

struct HivePrefix {
    std::string_view text;
    Hive hive;
};

// Tested in this order; the first match wins.
constexpr std::array<HivePrefix, 6> kHivePrefixes{{
    {"HKLM\\", Hive::LocalMachine},
    {"HKEY_LOCAL_MACHINE\\", Hive::LocalMachine},
    {"HKCU\\", Hive::CurrentUser},
    {"HKEY_CURRENT_USER\\", Hive::CurrentUser},
    {"HKU\\", Hive::Users},
    {"HKEY_USERS\\", Hive::Users},
}};

} // namespace

bool parse_registry_path(const char* path, ParsedRegistryPath& out) {
    if (path == nullptr || path[0] == '\0') {
        return false;
    }
    const std::string_view text(path, std::strlen(path));
    for (const HivePrefix& prefix : kHivePrefixes) {
        if (istarts_with(text, prefix.text)) {
            out.hive = prefix.hive;
            out.sub_key = text.substr(prefix.text.size());
            return true;
        }
    }
    out.hive = Hive::LocalMachine;
    out.sub_key = text;
    return true;
}

} // namespace tavrine
