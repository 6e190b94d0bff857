#pragma once
// Modules: one named system change each, armed by one flag. The table in modules.cpp holds,
// per module, its step label, its page row (title, place, sub-label and tooltip), its path
// block, the value it starts with and the routine its step runs.

#include "engine/changes.h"
#include "engine/paths.h"
#include "process/cull.h"
#include "runs/runtime_holds.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tavrine {

enum class Module : std::uint8_t {
    // Latency block
    PowerPlan,
    InputDelay,
    MouseAccel,
    Usb,
    GameMode,
    Notifications,
    StickyKeys,
    Timer,
    PowerLock,
    GameClamp,
    // Frames block
    GameDvr,
    CpuSchedule,
    GpuProfile,
    Ram,
    Mmcss,
    Fullscreen,
    Hags,
    VisualFx,
    SysMain,
    Dwm,
    Standby,
    WorkingSet,
    // Netcode block
    NetworkStack,
    WiFi,
    FlushDns,
    PrioritizeExe,
    Nagle,
    // Cleanup block
    RestorePoint,
    TempFiles,
    BrowserCache,
    WindowsPass,
    BloatApps,
    DriveTrim,
    WindowsUpdate,
    Telemetry,
    Hibernate,
    // CPU cull sub-flags: together they arm the one "CPU cull" step
    CullBloatList,
    CullOemSuite,
    CullUpdaters,
    CullDeepSweep,
    CullServices,
    CullStartup,
    CullOffice,
    CullCloudSync,
    Count
};

inline constexpr std::size_t kModuleCount = static_cast<std::size_t>(Module::Count);

struct ModuleInfo {
    Module module;
    const char* step_label; // null for the CPU cull sub-flags, which share the "CPU cull" step
    const char* page_row;
    PathKind block;
    bool initial;
    StepRoutine routine; // null for the CPU cull sub-flags
    int page_slot;       // the row's place on its block's page, from 0
    const char* page_sub_label;
    const char* page_tooltip;
    bool CullOptions::*cull_option = nullptr; // the CPU cull sub-flags only
};

// Every module in block order, which is also the order a run applies them in.
std::span<const ModuleInfo> module_table();
const ModuleInfo& module_info(Module module);
// By step label, or by page row for the CPU cull options; ASCII case is ignored.
std::optional<Module> find_module(std::string_view label);
bool is_cull_option(Module module);
// The modules of `block` in the order its page shows their rows.
std::span<const Module> page_rows(PathKind block);

// The process-wide arm flags. The main thread writes them; worker threads read a few
// (the cull options, "SysMain", the holds), so each is atomic.
class ModuleArms {
public:
    ModuleArms();
    bool armed(Module module) const { return flags_[index(module)].load(std::memory_order_relaxed); }
    void set(Module module, bool on) { flags_[index(module)].store(on, std::memory_order_relaxed); }
    bool any_cull_option() const;
    void reset_to_initial();

private:
    static std::size_t index(Module module) { return static_cast<std::size_t>(module); }
    std::array<std::atomic<bool>, kModuleCount> flags_;
};

ModuleArms& module_arms();

// The profile presets in card order. The stored index stays a plain number: one nobody knows
// is kept as given and treated as Competitive.
enum class ProfilePresetIndex : std::int32_t { Casual = 0, Competitive = 1, Streamer = 2 };
inline constexpr ProfilePresetIndex kProfilePresets[] = {
    ProfilePresetIndex::Casual, ProfilePresetIndex::Competitive, ProfilePresetIndex::Streamer};
constexpr std::int32_t preset_number(ProfilePresetIndex preset) {
    return static_cast<std::int32_t>(preset);
}
// The preset index last applied ("Competitive" at start).
std::atomic<std::int32_t>& profile_preset();
const char* profile_preset_name(std::int32_t index);
void apply_profile_preset(std::int32_t index);
inline void apply_profile_preset(ProfilePresetIndex preset) {
    apply_profile_preset(preset_number(preset));
}

// Armed modules a run of `path` would add; "Audio stability" is not counted and the cull
// counts once when any of its options is set.
int armed_count(PathKind path);

// What a step that takes options reads from the flags (and the preset), when it reads them:
// the pipeline when it builds its step list, a deploy at the stage that uses them.
CullOptions read_cull_options();
RuntimeHolds read_runtime_holds();
bool path_covers(PathKind path, PathKind block);

} // namespace tavrine
