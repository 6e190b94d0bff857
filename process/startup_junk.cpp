#include "engine/changes.h"
#include "engine/primitives.h"
#include "platform/run_keys.h"
#include "process/cull.h"
#include "process/cull_lists.h"

namespace tavrine {

namespace {

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
        delete_value(kUserRunKey, name);
        delete_value(kUserRunOnceKey, name);
    }
    for (const char* name : kRunKeyJunkMachine) {
        delete_value(kMachineRunKey, name);
        delete_value(kMachineRun32Key, name);
    }
    for (const char* task : kCullTasks) {
        disable_scheduled_task(task);
    }
    apply_changes(kBackgroundAppsOff);
}

} // namespace tavrine
