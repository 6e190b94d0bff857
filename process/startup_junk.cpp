#include "engine/changes.h"
#include "engine/primitives.h"
#include "process/cull.h"
#include "process/cull_lists.h"

namespace tavrine {

namespace {

constexpr const char* kUserRun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kUserRunOnce = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kMachineRun = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kMachineRun32 = "HKLM\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

// clang-format off
constexpr Change kBackgroundAppsOff[] = {
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\BackgroundAccessApplications", "GlobalUserDisabled", 1),
    dword("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Search", "BackgroundAppGlobalToggle", 0),
    dword("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "ShowSyncProviderNotifications", 0),
};
// clang-format on

} // namespace

void disable_startup_junk() {
    for (const char* name : kRunKeyJunkUser) {
        delete_value(kUserRun, name);
        delete_value(kUserRunOnce, name);
    }
    for (const char* name : kRunKeyJunkMachine) {
        delete_value(kMachineRun, name);
        delete_value(kMachineRun32, name);
    }
    for (const char* task : kCullTasks) {
        disable_scheduled_task(task);
    }
    apply_changes(kBackgroundAppsOff);
}

} // namespace tavrine
