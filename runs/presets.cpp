#include "runs/modules.h"

#include <initializer_list>

namespace tavrine {

namespace {

using enum Module;

void set_all(std::initializer_list<Module> modules, bool on) {
    for (Module module : modules) {
        module_arms().set(module, on);
    }
}

} // namespace

const char* profile_preset_name(std::int32_t index) {
    switch (static_cast<ProfilePresetIndex>(index)) {
    case ProfilePresetIndex::Casual:
        return "Casual";
    case ProfilePresetIndex::Streamer:
        return "Streamer";
    default:
        return "Competitive";
    }
}

// The rules run in this order, each overriding the ones before. "Restore point" is never touched.
void apply_profile_preset(std::int32_t index) {
    profile_preset().store(index);
    set_all({TempFiles, BrowserCache, BloatApps, WindowsPass, WindowsUpdate, DriveTrim, FlushDns,
             PrioritizeExe, SysMain, Telemetry, Hibernate},
            false);
    set_all({CullBloatList, CullOemSuite, CullUpdaters, CullStartup}, true);
    set_all({CullOffice, CullCloudSync}, false);
    set_all({Usb,          CpuSchedule,   GpuProfile, Ram,      InputDelay, PowerPlan,
             NetworkStack, WiFi,          GameDvr,    GameMode, Mmcss,      Fullscreen,
             MouseAccel,   Notifications, StickyKeys, Hags,     VisualFx,   Nagle,
             Timer,        PowerLock,     GameClamp,  Dwm},
            true);
    if (index == preset_number(ProfilePresetIndex::Casual)) {
        set_all({CpuSchedule, Usb, WiFi, VisualFx, Hags, Nagle, StickyKeys, CullDeepSweep, CullServices,
                 CullStartup, Timer, Standby, WorkingSet, Dwm},
                false);
        return;
    }
    set_all({TempFiles, Standby}, true);
    if (index == preset_number(ProfilePresetIndex::Streamer)) {
        set_all({GameDvr, VisualFx, CullDeepSweep, CullServices, WorkingSet}, false);
        return;
    }
    set_all(
        {FlushDns, SysMain, Telemetry, CullCloudSync, CullOffice, CullDeepSweep, CullServices, WorkingSet},
        true);
}

} // namespace tavrine
