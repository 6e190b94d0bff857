#include "process/protected_processes.h"

#include "process/name_match.h"

namespace tavrine {

namespace {

// Helpers that would match a guarded word below but are junk all the same.
constexpr const char* kNeverGuarded[] = {
    "steamwebhelper.exe",
    "steamerrorreporter.exe",
    "nvidia share.exe",
    "nvidia web helper.exe",
    "nvtelemetrycontainer.exe",
    "nvidia telemetry.exe",
    "nvbackend.exe",
    "nvsphelper64.exe",
    "epicwebhelper.exe",
    "amdow.exe",
};

// Words that guard any name containing them, tested in this order.
constexpr const char* kGuardedWords[] = {
    "steam",     "discord",  "nvcontainer", "nvdisplay",     "amd",       "radeon",  "igfx",
    "defender",  "msmp",     "vanguard",    "easyanticheat", "battl",     "faceit",  "riot",
    "epicgames", "fortnite", "valorant",    "cs2",           "audio",     "realtek", "nahimic",
    "dtsapo",    "rtkaudio", "ravbg",       "zolt",          "dunmarrow", "tavrine", "securityhealth",
};

const NameSet& protected_set() {
    static const NameSet set(kProtectedProcesses);
    return set;
}

const NameSet& never_guarded_set() {
    static const NameSet set(kNeverGuarded);
    return set;
}

} // namespace

bool is_protected_lowered(std::string_view lowered_name) {
    if (lowered_name.empty()) {
        return false;
    }
    // The list comes first, so "steamwebhelper.exe" and "amdow.exe" stay protected although
    // they also stand among the exceptions and in the bloat list.
    if (protected_set().contains_lowered(lowered_name)) {
        return true;
    }
    if (never_guarded_set().contains_lowered(lowered_name)) {
        return false;
    }
    return contains_any(lowered_name, kGuardedWords);
}

bool is_protected_process(std::string_view name) {
    return is_protected_lowered(lowered_process_name(name));
}

bool in_protected_list(std::string_view name) {
    return protected_set().contains_lowered(lowered_process_name(name));
}

} // namespace tavrine
