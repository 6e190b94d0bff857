#include "platform/registry_path.h"

#include "platform/ascii.h"

#include <array>
#include <cstring>

namespace tavrine {

namespace {

// Each hive's short name (the one the program writes) and its long form (also read).
struct HiveNames {
    Hive hive;
    std::string_view short_name;
    std::string_view long_name;
};

constexpr std::array<HiveNames, 3> kHiveNames{{
    {Hive::LocalMachine, "HKLM", "HKEY_LOCAL_MACHINE"},
    {Hive::CurrentUser, "HKCU", "HKEY_CURRENT_USER"},
    {Hive::Users, "HKU", "HKEY_USERS"},
}};

// `name` and a backslash at the start of `text`, any letter case.
bool starts_with_hive(std::string_view text, std::string_view name) {
    return text.size() > name.size() && text[name.size()] == '\\' && istarts_with(text, name);
}

} // namespace

bool parse_registry_path(const char* path, ParsedRegistryPath& out) {
    if (path == nullptr || path[0] == '\0') {
        return false;
    }
    const std::string_view text(path, std::strlen(path));
    for (const HiveNames& names : kHiveNames) {
        for (const std::string_view name : {names.short_name, names.long_name}) {
            if (starts_with_hive(text, name)) {
                out.hive = names.hive;
                out.sub_key = text.substr(name.size() + 1);
                return true;
            }
        }
    }
    out.hive = Hive::LocalMachine;
    out.sub_key = text;
    return true;
}

const char* hive_prefix(Hive hive) {
    for (const HiveNames& names : kHiveNames) {
        if (names.hive == hive) {
            return names.short_name.data(); // a literal: ends in a null
        }
    }
    return "HKLM";
}

} // namespace tavrine
