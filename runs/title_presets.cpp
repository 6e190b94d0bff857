// The module stack each title arms: a base every title shares, then the title's own extras.
#include "engine/target_exe.h"
#include "games/title_catalogue.h"
#include "runs/deploy.h"
#include "runs/modules.h"

#include <cstdio>
#include <span>

namespace tavrine {

namespace {

using enum Module;

// Every flag a title preset decides, apart from the base stack below. "Restore point" is not
// here: a preset leaves it as the user set it.
constexpr Module kCleared[] = {
    TempFiles,     BrowserCache,  BloatApps,     WindowsPass,  WindowsUpdate, DriveTrim,
    FlushDns,      PrioritizeExe, SysMain,       Telemetry,    Hibernate,     CullBloatList,
    CullOemSuite,  CullUpdaters,  CullDeepSweep, CullServices, CullStartup,   CullOffice,
    CullCloudSync, Usb,           CpuSchedule,   GpuProfile,   Ram,           NetworkStack,
    WiFi,          Mmcss,         Hags,          VisualFx,     WorkingSet,
};

constexpr Module kBaseStack[] = {
    InputDelay, MouseAccel, StickyKeys, Notifications, PowerPlan, GameMode, GameDvr,
    Fullscreen, Nagle,      Timer,      PowerLock,     GameClamp, Dwm,      Standby,
};

// clang-format off
constexpr Module kValorant[] = {WiFi, NetworkStack, FlushDns, PrioritizeExe, Usb, Mmcss, Hags, VisualFx, CpuSchedule, CullUpdaters};
constexpr Module kCounterStrike[] = {NetworkStack, FlushDns, PrioritizeExe, Usb, Mmcss, Hags, VisualFx, CpuSchedule, GpuProfile, Ram, SysMain, CullUpdaters};
constexpr Module kFortniteMore[] = {WiFi, CullOemSuite, CullCloudSync, CullServices, CullStartup, CullDeepSweep};
constexpr Module kWarzone[] = {NetworkStack, PrioritizeExe, Hags, VisualFx, CpuSchedule, GpuProfile, Ram, SysMain, Hibernate, TempFiles, CullOemSuite, CullCloudSync, CullServices};
constexpr Module kApex[] = {NetworkStack, FlushDns, PrioritizeExe, Usb, Mmcss, Hags, VisualFx, CpuSchedule, GpuProfile, CullUpdaters};
constexpr Module kLeague[] = {NetworkStack, FlushDns, PrioritizeExe, Usb, CullUpdaters};
constexpr Module kSiege[] = {NetworkStack, FlushDns, PrioritizeExe, Usb, Mmcss, Hags, VisualFx, CpuSchedule, GpuProfile};
constexpr Module kOverwatch[] = {NetworkStack, PrioritizeExe, Usb, Mmcss, Hags, VisualFx, CpuSchedule, GpuProfile, CullUpdaters};
constexpr Module kTarkov[] = {PrioritizeExe, Hags, VisualFx, CpuSchedule, GpuProfile, Ram, SysMain, Hibernate, TempFiles, CullOemSuite, CullCloudSync, CullServices};
constexpr Module kRocketLeague[] = {NetworkStack, FlushDns, PrioritizeExe, Usb, CpuSchedule};
constexpr Module kDestiny[] = {NetworkStack, PrioritizeExe, Hags, VisualFx, CpuSchedule, GpuProfile, Ram, SysMain, CullUpdaters};
constexpr Module kGta[] = {PrioritizeExe, Hags, VisualFx, CpuSchedule, GpuProfile, Ram, SysMain, TempFiles, CullOemSuite, CullUpdaters};
constexpr Module kPubg[] = {NetworkStack, PrioritizeExe, Hags, VisualFx, CpuSchedule, GpuProfile, Ram, CullOemSuite};
constexpr Module kDota[] = {NetworkStack, FlushDns, PrioritizeExe, Usb, CpuSchedule};
constexpr Module kRust[] = {NetworkStack, PrioritizeExe, Hags, CpuSchedule, GpuProfile, Ram, SysMain, CullOemSuite, CullCloudSync, CullServices};
constexpr Module kMarvelRivals[] = {NetworkStack, PrioritizeExe, Usb, Mmcss, Hags, VisualFx, CpuSchedule, GpuProfile};
constexpr Module kTheFinals[] = {NetworkStack, PrioritizeExe, Mmcss, Hags, VisualFx, CpuSchedule, GpuProfile, CullUpdaters};
constexpr Module kHelldivers[] = {NetworkStack, PrioritizeExe, Hags, CpuSchedule, GpuProfile, SysMain, CullOemSuite};
constexpr Module kMinecraft[] = {CpuSchedule, CullOemSuite, CullUpdaters, CullCloudSync};
constexpr Module kBattlefield[] = {NetworkStack, PrioritizeExe, Hags, VisualFx, CpuSchedule, GpuProfile, Ram, SysMain, CullOemSuite, CullServices};

// A title's extras: one list, or one it shares with another title plus a few of its own.
struct TitleExtras {
    std::span<const Module> like;
    std::span<const Module> more;
};

constexpr TitleExtras kExtras[kTitleCount] = {
    {kValorant, {}},      {kCounterStrike, {}}, {kCounterStrike, kFortniteMore}, {kWarzone, {}},
    {kApex, {}},          {kLeague, {}},        {kSiege, {}},                    {kOverwatch, {}},
    {kTarkov, {}},        {kRocketLeague, {}},  {kDestiny, {}},                  {kGta, {}},
    {kPubg, {}},          {kDota, {}},          {kRust, {}},                     {kMarvelRivals, {}},
    {kTheFinals, {}},     {kHelldivers, {}},    {kMinecraft, {}},                {kLeague, {}},
    {kBattlefield, {}},   {kCounterStrike, {}},
};
// clang-format on

void set_all(std::span<const Module> modules, bool on) {
    for (const Module module : modules) {
        module_arms().set(module, on);
    }
}

} // namespace

void arm_title_preset(std::int32_t index) {
    const GameTitle* title = title_at(index);
    if (title == nullptr) {
        return;
    }
    selected_title().store(index);
    set_all(kCleared, false);
    // The preset index says "Competitive" without that preset's flags being applied.
    profile_preset().store(preset_number(ProfilePresetIndex::Competitive));
    set_all(kBaseStack, true);
    const TitleExtras& extras = kExtras[index];
    set_all(extras.like, true);
    set_all(extras.more, true);
    module_arms().set(CullBloatList, true); // every title culls the known junk

    char text[160];
    std::snprintf(text, sizeof text, "Armed %s profile", title->name);
    deploy_status().status_text.set(text);
}

} // namespace tavrine
