#include "runs/modules.h"

#include "platform/ascii.h"
#include "process/game_clamp.h"
#include "process/holds.h"
#include "runs/runtime_holds.h"
#include "tweaks/cleanup.h"
#include "tweaks/frames.h"
#include "tweaks/gpu_vendor.h"
#include "tweaks/latency.h"
#include "tweaks/netcode.h"

namespace tavrine {

namespace {

using enum Module;
using enum PathKind;

// clang-format off
constexpr ModuleInfo kModules[] = {
    // module         step label        page row            block     initial routine / cull option
    {PowerPlan,      "Power plan",     "Power plan",       Latency,  true,  apply_power_plan},
    {InputDelay,     "Input delay",    "Raw mouse",        Latency,  true,  apply_input_delay},
    {MouseAccel,     "Mouse accel",    "Mouse accel",      Latency,  true,  apply_mouse_accel_off},
    {Usb,            "USB",            "USB interrupt",    Latency,  true,  apply_usb_power},
    {GameMode,       "Game Mode",      "Game Mode",        Latency,  true,  apply_game_mode},
    {Notifications,  "Notifications",  "Toasts off",       Latency,  true,  apply_notifications_off},
    {StickyKeys,     "Sticky keys",    "Sticky keys",      Latency,  true,  apply_sticky_keys_off},
    {Timer,          "Timer",          "Timer 1ms",        Latency,  true,  hold_timer_resolution},
    {PowerLock,      "Power lock",     "Power lock",       Latency,  true,  hold_power},
    {GameClamp,      "Game clamp",     "Game clamp",       Latency,  true,  game_clamp_step},

    {GameDvr,        "Game DVR",       "Game DVR",         Frames,   true,  apply_game_dvr_off},
    {CpuSchedule,    "CPU schedule",   "CPU schedule",     Frames,   true,  apply_cpu_schedule},
    {GpuProfile,     "GPU profile",    "GPU profile",      Frames,   true,  apply_gpu_profile_step},
    {Ram,            "RAM",            "RAM / MMCSS",      Frames,   true,  apply_ram},
    {Mmcss,          "MMCSS",          "Prioritize games", Frames,   true,  apply_mmcss_games},
    {Fullscreen,     "Fullscreen",     "Fullscreen FSE",   Frames,   true,  apply_fullscreen},
    {Hags,           "HAGS",           "GPU scheduling",   Frames,   true,  apply_hags},
    {VisualFx,       "Visual FX",      "Visual FX",        Frames,   true,  apply_visual_fx},
    {SysMain,        "SysMain",        "SysMain",          Frames,   false, apply_sysmain_off},
    {Dwm,            "DWM",            "DWM MMCSS",        Frames,   true,  apply_dwm_mmcss},
    {Standby,        "Standby",        "Standby trim",     Frames,   true,  purge_standby_list},
    {WorkingSet,     "Working set",    "Working set",      Frames,   false, trim_working_sets},

    {NetworkStack,   "Network stack",  "Network stack",    Netcode,  true,  apply_network_stack},
    {WiFi,           "Wi-Fi",          "Wi-Fi latency",    Netcode,  true,  apply_wifi_latency},
    {FlushDns,       "Flush DNS",      "Flush DNS",        Netcode,  false, flush_dns},
    {PrioritizeExe,  "Prioritize exe", "Prioritize exe",   Netcode,  false, prioritize_target_exe},
    {Nagle,          "Nagle",          "Nagle off",        Netcode,  true,  apply_nagle_off},

    {RestorePoint,   "Restore point",  "Restore point",    Cleanup,  false, create_restore_point},
    {TempFiles,      "Temp files",     "Temp / prefetch",  Cleanup,  false, clean_temp_files},
    {BrowserCache,   "Browser cache",  "Browser cache",    Cleanup,  false, clean_browser_caches},
    {WindowsPass,    "Windows pass",   "Windows pass",     Cleanup,  false, apply_windows_pass},
    {BloatApps,      "Bloat apps",     "Bloat apps",       Cleanup,  false, remove_bloat_apps},
    {DriveTrim,      "Drive TRIM",     "Game drive",       Cleanup,  false, optimize_target_drive},
    {WindowsUpdate,  "Windows Update", "Windows Update",   Cleanup,  false, start_update_scan},
    {Telemetry,      "Telemetry",      "Telemetry",        Cleanup,  false, disable_telemetry},
    {Hibernate,      "Hibernate",      "Hibernate",        Cleanup,  false, hibernate_off},

    {CullBloatList,  nullptr,          "Bloat list",       CpuCull,  true,  nullptr, &CullOptions::bloat_list},
    {CullOemSuite,   nullptr,          "OEM suite",        CpuCull,  true,  nullptr, &CullOptions::oem_suite},
    {CullUpdaters,   nullptr,          "Updaters",         CpuCull,  true,  nullptr, &CullOptions::updaters},
    {CullDeepSweep,  nullptr,          "Deep sweep",       CpuCull,  false, nullptr, &CullOptions::deep_sweep},
    {CullServices,   nullptr,          "Services",         CpuCull,  true,  nullptr, &CullOptions::services},
    {CullStartup,    nullptr,          "Startup",          CpuCull,  true,  nullptr, &CullOptions::startup},
    {CullOffice,     nullptr,          "Office BG",        CpuCull,  false, nullptr, &CullOptions::office},
    {CullCloudSync,  nullptr,          "Cloud sync",       CpuCull,  false, nullptr, &CullOptions::cloud_sync},
};
// clang-format on

static_assert(std::size(kModules) == kModuleCount, "one row per module");

constexpr bool rows_follow_enum_order() {
    for (std::size_t i = 0; i < std::size(kModules); ++i) {
        if (static_cast<std::size_t>(kModules[i].module) != i) {
            return false;
        }
    }
    return true;
}
static_assert(rows_follow_enum_order(), "module_info indexes the table by enum value");

} // namespace

std::span<const ModuleInfo> module_table() {
    return kModules;
}

const ModuleInfo& module_info(Module module) {
    return kModules[static_cast<std::size_t>(module)];
}

bool is_cull_option(Module module) {
    return module_info(module).block == PathKind::CpuCull;
}

std::optional<Module> find_module(std::string_view label) {
    for (const ModuleInfo& info : kModules) {
        const bool by_label = info.step_label != nullptr && iequals(info.step_label, label);
        const bool by_row = is_cull_option(info.module) && iequals(info.page_row, label);
        if (by_label || by_row) {
            return info.module;
        }
    }
    return std::nullopt;
}

ModuleArms::ModuleArms() {
    reset_to_initial();
}

void ModuleArms::reset_to_initial() {
    for (const ModuleInfo& info : kModules) {
        set(info.module, info.initial);
    }
}

bool ModuleArms::any_cull_option() const {
    for (const ModuleInfo& info : kModules) {
        if (info.block == PathKind::CpuCull && armed(info.module)) {
            return true;
        }
    }
    return false;
}

ModuleArms& module_arms() {
    static ModuleArms arms;
    return arms;
}

bool path_covers(PathKind path, PathKind block) {
    return path == PathKind::All || path == block;
}

int armed_count(PathKind path) {
    ModuleArms& arms = module_arms();
    int count = 0;
    for (const ModuleInfo& info : kModules) {
        if (info.step_label != nullptr && path_covers(path, info.block) && arms.armed(info.module)) {
            ++count;
        }
    }
    if (path_covers(path, PathKind::CpuCull) && arms.any_cull_option()) {
        ++count;
    }
    return count;
}

CullOptions read_cull_options() {
    const ModuleArms& arms = module_arms();
    CullOptions options;
    for (const ModuleInfo& info : kModules) {
        if (info.cull_option != nullptr) {
            options.*info.cull_option = arms.armed(info.module);
        }
    }
    options.stop_sysmain = arms.armed(Module::SysMain);
    options.keep_capture_services = profile_preset().load() == preset_number(ProfilePresetIndex::Streamer);
    return options;
}

RuntimeHolds read_runtime_holds() {
    const ModuleArms& arms = module_arms();
    return {.timer = arms.armed(Module::Timer),
            .power_lock = arms.armed(Module::PowerLock),
            .dwm = arms.armed(Module::Dwm),
            .standby = arms.armed(Module::Standby),
            .working_set = arms.armed(Module::WorkingSet),
            .game_clamp = arms.armed(Module::GameClamp)};
}

} // namespace tavrine
