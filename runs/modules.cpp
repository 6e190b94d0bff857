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
    // module         step label        page row            block     initial routine
    //  page slot, sub-label, tooltip[, cull option]
    {PowerPlan,      "Power plan",     "Power plan",       Latency,  true,  apply_power_plan,
     3, "High performance", "Performance power plan."},
    {InputDelay,     "Input delay",    "Raw mouse",        Latency,  true,  apply_input_delay,
     0, "Queue tune for aim", "Mouse/keyboard queue tweaks for aim."},
    {MouseAccel,     "Mouse accel",    "Mouse accel",      Latency,  true,  apply_mouse_accel_off,
     1, "1:1 cursor feel", "Disables Windows mouse acceleration."},
    {Usb,            "USB",            "USB interrupt",    Latency,  true,  apply_usb_power,
     2, "Selective suspend off", "Cuts USB selective suspend hitching."},
    {GameMode,       "Game Mode",      "Game Mode",        Latency,  true,  apply_game_mode,
     4, "Windows responsiveness", "Windows Game Mode + responsiveness."},
    {Notifications,  "Notifications",  "Toasts off",       Latency,  true,  apply_notifications_off,
     5, "Mute Windows notifications", "Disables toast notifications that steal focus."},
    {StickyKeys,     "Sticky keys",    "Sticky keys",      Latency,  true,  apply_sticky_keys_off,
     6, "No accessibility popups", "Stops sticky/filter key prompts mid-game."},
    {Timer,          "Timer",          "Timer 1ms",        Latency,  true,  hold_timer_resolution,
     7, "NtSetTimerResolution", "Locks 0.5\xE2\x80\x93" "1ms timer resolution while this app is open."},
    {PowerLock,      "Power lock",     "Power lock",       Latency,  true,  hold_power,
     8, "No sleep / throttle", "Holds display+CPU awake and disables execution-speed throttling."},
    {GameClamp,      "Game clamp",     "Game clamp",       Latency,  true,  game_clamp_step,
     9, "Priority + IO + main thread",
     "HIGH_PRIORITY, IO high, main-thread boost, power throttle off on the game."},

    {GameDvr,        "Game DVR",       "Game DVR",         Frames,   true,  apply_game_dvr_off,
     5, "Capture overlay off", "Removes capture overlay hitching."},
    {CpuSchedule,    "CPU schedule",   "CPU schedule",     Frames,   true,  apply_cpu_schedule,
     0, "Timer + throttling off", "Timer distribution + power throttling off."},
    {GpuProfile,     "GPU profile",    "GPU profile",      Frames,   true,  apply_gpu_profile_step,
     1, "Vendor gaming tweaks", "NVIDIA / AMD / Intel gaming tweaks."},
    {Ram,            "RAM",            "RAM / MMCSS",      Frames,   true,  apply_ram,
     2, "Games task memory", "Multimedia SystemProfile + memory flags."},
    {Mmcss,          "MMCSS",          "Prioritize games", Frames,   true,  apply_mmcss_games,
     3, "High GPU/CPU sched", "Games task High GPU/CPU scheduling."},
    {Fullscreen,     "Fullscreen",     "Fullscreen FSE",   Frames,   true,  apply_fullscreen,
     4, "GameConfigStore", "GameConfigStore FSE behavior."},
    {Hags,           "HAGS",           "GPU scheduling",   Frames,   true,  apply_hags,
     6, "Hardware accelerated", "Enables hardware-accelerated GPU scheduling."},
    {VisualFx,       "Visual FX",      "Visual FX",        Frames,   true,  apply_visual_fx,
     7, "Best performance desktop", "Cuts animations / transparency for frames."},
    {SysMain,        "SysMain",        "SysMain",          Frames,   false, apply_sysmain_off,
     8, "Disable Superfetch", "Stops SysMain from prefetching in the background."},
    {Dwm,            "DWM",            "DWM MMCSS",        Frames,   true,  apply_dwm_mmcss,
     9, "Desktop compositor boost", "Puts DWM on the multimedia scheduler so composition does not hitch."},
    {Standby,        "Standby",        "Standby trim",     Frames,   true,  purge_standby_list,
     10, "Empty standby list", "Purges the standby page list \xE2\x80\x94 same class of clamp as ISLC."},
    {WorkingSet,     "Working set",    "Working set",      Frames,   false, trim_working_sets,
     11, "Trim idle processes", "Empties working sets of unprotected processes so RAM returns to the game."},

    {NetworkStack,   "Network stack",  "Network stack",    Netcode,  true,  apply_network_stack,
     0, "TCP / adapter tune", "TCP/adapter gaming tweaks."},
    {WiFi,           "Wi-Fi",          "Wi-Fi latency",    Netcode,  true,  apply_wifi_latency,
     1, "Wireless pass", "Wireless latency adjustments."},
    {FlushDns,       "Flush DNS",      "Flush DNS",        Netcode,  false, flush_dns,
     2, "Before matchmaking", "Clears stale DNS before matchmaking."},
    {PrioritizeExe,  "Prioritize exe", "Prioritize exe",   Netcode,  false, prioritize_target_exe,
     3, "Raise game priority", "Raises priority for your game exe."},
    {Nagle,          "Nagle",          "Nagle off",        Netcode,  true,  apply_nagle_off,
     4, "TCP no-delay / ACK", "TcpAckFrequency + TCPNoDelay for tick-sensitive titles."},

    {RestorePoint,   "Restore point",  "Restore point",    Cleanup,  false, create_restore_point,
     7, "Checkpoint before changes", "Creates a System Restore checkpoint before cleanup."},
    {TempFiles,      "Temp files",     "Temp / prefetch",  Cleanup,  false, clean_temp_files,
     0, "Free launch clutter", "Frees temp + prefetch before launch."},
    {BrowserCache,   "Browser cache",  "Browser cache",    Cleanup,  false, clean_browser_caches,
     1, "Optional reclaim", "Optional disk reclaim."},
    {WindowsPass,    "Windows pass",   "Windows pass",     Cleanup,  false, apply_windows_pass,
     2, "Broader responsiveness", "Broader responsiveness pass."},
    {BloatApps,      "Bloat apps",     "Bloat apps",       Cleanup,  false, remove_bloat_apps,
     3, "Remove unused UWP", "Uninstalls unused UWP clutter."},
    {DriveTrim,      "Drive TRIM",     "Game drive",       Cleanup,  false, optimize_target_drive,
     4, "TRIM / defrag volume", "TRIM/defrag on selected volume."},
    {WindowsUpdate,  "Windows Update", "Windows Update",   Cleanup,  false, start_update_scan,
     8, "Scan for patches", "Starts an interactive Windows Update scan."},
    {Telemetry,      "Telemetry",      "Telemetry",        Cleanup,  false, disable_telemetry,
     5, "DiagTrack off", "Stops diagnostic tracking services."},
    {Hibernate,      "Hibernate",      "Hibernate",        Cleanup,  false, hibernate_off,
     6, "Free hiberfil.sys", "Turns off hibernation to reclaim disk."},

    {CullBloatList,  nullptr,          "Bloat list",       CpuCull,  true,  nullptr,
     0, "Known junk processes", "Terminates a curated list of background junk.", &CullOptions::bloat_list},
    {CullOemSuite,   nullptr,          "OEM suite",        CpuCull,  true,  nullptr,
     1, "Dell / HP / Lenovo / ASUS",
     "Kills vendor support / armoury / vantage helpers.", &CullOptions::oem_suite},
    {CullUpdaters,   nullptr,          "Updaters",         CpuCull,  true,  nullptr,
     2, "Edge / Adobe / crashpads",
     "Kills updaters, crashpads, telemetry reporters.", &CullOptions::updaters},
    {CullDeepSweep,  nullptr,          "Deep sweep",       CpuCull,  false, nullptr,
     3, "Helper / widget patterns",
     "Pattern-match helpers, widgets, overlays, webviews.", &CullOptions::deep_sweep},
    {CullServices,   nullptr,          "Services",         CpuCull,  true,  nullptr,
     4, "Stop bloat services", "Stops DiagTrack, Xbox, SysMain, WSearch, and more.", &CullOptions::services},
    {CullStartup,    nullptr,          "Startup",          CpuCull,  true,  nullptr,
     5, "Disable Run-key junk", "Removes common startup entries + CEIP tasks.", &CullOptions::startup},
    {CullOffice,     nullptr,          "Office BG",        CpuCull,  false, nullptr,
     6, "Click-to-Run / Office", "Ends Office background processes when armed.", &CullOptions::office},
    {CullCloudSync,  nullptr,          "Cloud sync",       CpuCull,  false, nullptr,
     7, "OneDrive / Dropbox", "Ends cloud sync clients for the session.", &CullOptions::cloud_sync},
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

constexpr bool blocks_are_contiguous() {
    for (std::size_t i = 1; i < std::size(kModules); ++i) {
        if (kModules[i].block < kModules[i - 1].block) {
            return false;
        }
    }
    return true;
}
static_assert(blocks_are_contiguous(), "a block's rows stand together, so its page order is one stretch");

constexpr std::size_t block_start(PathKind block) {
    std::size_t i = 0;
    while (i < std::size(kModules) && kModules[i].block != block) {
        ++i;
    }
    return i;
}

constexpr std::size_t block_size(PathKind block) {
    std::size_t count = 0;
    for (const ModuleInfo& info : kModules) {
        count += info.block == block ? 1 : 0;
    }
    return count;
}

// Every module at its block's start plus its page slot.
struct PageOrder {
    std::array<Module, kModuleCount> modules{};
    bool each_slot_once = true;
};

constexpr PageOrder page_order() {
    PageOrder order;
    std::array<bool, kModuleCount> taken{};
    for (const ModuleInfo& info : kModules) {
        const std::size_t size = block_size(info.block);
        if (info.page_slot < 0 || static_cast<std::size_t>(info.page_slot) >= size) {
            order.each_slot_once = false;
            continue;
        }
        const std::size_t at = block_start(info.block) + static_cast<std::size_t>(info.page_slot);
        order.each_slot_once = order.each_slot_once && !taken[at];
        taken[at] = true;
        order.modules[at] = info.module;
    }
    return order;
}

constexpr PageOrder kPageOrder = page_order();
static_assert(kPageOrder.each_slot_once, "a block's page slots are 0 to its size - 1, each once");

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

std::span<const Module> page_rows(PathKind block) {
    return std::span<const Module>(kPageOrder.modules).subspan(block_start(block), block_size(block));
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
