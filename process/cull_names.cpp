#include "process/cull_names.h"

#include "process/cull_lists.h"
#include "process/name_match.h"
#include "process/protected_process_list.h"

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

// Words that guard any name containing them.
constexpr const char* kGuardedWords[] = {
    "steam",     "discord",  "nvcontainer", "nvdisplay",     "amd",       "radeon",  "igfx",
    "defender",  "msmp",     "vanguard",    "easyanticheat", "battl",     "faceit",  "riot",
    "epicgames", "fortnite", "valorant",    "cs2",           "audio",     "realtek", "nahimic",
    "dtsapo",    "rtkaudio", "ravbg",       "zolt",          "dunmarrow", "tavrine", "securityhealth",
};

constexpr const char* kUpdaterWords[] = {"update",    "updater",  "crashpad", "crashreporter",
                                         "telemetry", "reporter", "install"};

// Deep sweep, first stage: a name with one of these (or else "host") is a candidate.
constexpr const char* kSweepWords[] = {
    "helper",  "cef",         "webview",         "notification", "overlay",  "presence",      "widget",
    "gamebar", "yourphone",   "phoneexperience", "bing",         "cortana",  "supportassist", "techhub",
    "armoury", "mysticlight", "vantage",         "jumpstart",    "onedrive", "teams",         "skype",
    "spotify", "edge",        "chrome",          "broker",
};
constexpr const char* kHost[] = {"host"};
constexpr const char* kBroker[] = {"broker"};
// Second stage: a "host" or "broker" candidate goes on only with one of these as well.
constexpr const char* kHostCompanions[] = {"phone", "widget",   "search", "background", "runtime",
                                           "oob",   "settings", "game",   "xbox",       "cross"};

constexpr const char* kSweepNever[] = {"explorer.exe", "dwm.exe", "csrss.exe", "winlogon.exe"};

// The seven Office document editors.
constexpr const char* kDocumentEditors[] = {"winword.exe", "excel.exe",    "powerpnt.exe", "outlook.exe",
                                            "onenote.exe", "msaccess.exe", "mspub.exe"};

struct Indexes {
    NameIndex names;
    PatternIndex words;

    Indexes() {
        names.add(kProtectedProcesses, kInProtectedList);
        names.add(kNeverGuarded, kInNeverGuarded);
        names.add(kBloatProcesses, kInBloatList);
        names.add(kOemProcesses, kInOemList);
        names.add(kUpdaterProcesses, kInUpdaterList);
        names.add(kOfficeProcesses, kInOfficeList);
        names.add(kCloudSyncProcesses, kInCloudSyncList);
        names.add(kDocumentEditors, kIsDocumentEditor);
        names.add(kSweepNever, kInSweepNever);
        words.add(kGuardedWords, kHasGuardedWord);
        words.add(kUpdaterWords, kHasUpdaterWord);
        words.add(kSweepWords, kHasSweepWord);
        words.add(kHost, kHasHost);
        words.add(kBroker, kHasBroker);
        words.add(kHostCompanions, kHasHostCompanion);
    }
};

const Indexes& indexes() {
    static const Indexes built; // built once, read-only afterwards: safe from any thread
    return built;
}

} // namespace

NameFacts name_facts(std::string_view lowered_name) {
    const Indexes& index = indexes();
    return {index.names.lookup(lowered_name), index.words.scan(lowered_name)};
}

} // namespace tavrine
