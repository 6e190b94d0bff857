#include "tweaks/frames.h"

#include "engine/changes.h"
#include "platform/files.h"
#include "platform/spi_actions.h"
#include "platform/system_state.h"
#include "tweaks/latency.h"

#include <cstdint>

namespace tavrine {

namespace {

constexpr const char* kGameConfigStore = "HKCU\\System\\GameConfigStore";
constexpr const char* kGameBar = "HKCU\\SOFTWARE\\Microsoft\\GameBar";
constexpr const char* kGamesTask =
    "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile\\Tasks\\Games";
constexpr const char* kKernel = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\kernel";
constexpr const char* kPower = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Power";
constexpr const char* kSessionPower = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power";
constexpr const char* kPolicyDeviceGuard = "HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\DeviceGuard";
constexpr const char* kMemoryManagement =
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
constexpr const char* kPrefetchParameters =
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";
constexpr const char* kDwm = "HKCU\\Software\\Microsoft\\Windows\\DWM";
constexpr const char* kDesktop = "HKCU\\Control Panel\\Desktop";

constexpr const char* kFsutil = "C:\\Windows\\System32\\fsutil.exe";
constexpr std::uint32_t kMinimumSplitThresholdKib = 0x400000; // 4 GiB

constexpr std::uint32_t kAnimationInfoOff[] = {8, 0}; // ANIMATIONINFO {size, minimise/restore}

// clang-format off
constexpr Change kGameDvrOff[] = {
    dword(kGameConfigStore, "GameDVR_Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\GameDVR", "AppCaptureEnabled", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\GameDVR", "AllowGameDVR", 0),
    dword(kGameBar, "UseNexusForGameBarEnabled", 0),
    dword(kGameBar, "ShowStartupPanel", 0),
    dword(kGameBar, "GamePanelStartupTipIndex", 3),
};

// The processor block ends with "powercfg /setactive SCHEME_CURRENT"; the disk-timeout pair
// after it is not followed by another.
constexpr Change kCpuSchedule[] = {
    run("bcdedit /deletevalue disabledynamictick"),
    run("bcdedit /deletevalue useplatformtick"),
    run("bcdedit /deletevalue tscsyncpolicy"),
    run("bcdedit /deletevalue useplatformclock"),
    dword(kKernel, "DistributeTimers", 1),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Power\\PowerThrottling", "PowerThrottlingOff", 1),
    dword(kSessionPower, "CoalescingTimerInterval", 0),
    dword(kPower, "EnergyEstimationEnabled", 0),
    dword(kPower, "EventProcessorEnabled", 0),
    dword(kPower, "HibernateEnabled", 0),
    dword(kKernel, "GlobalTimerResolutionRequests", 1),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl", "Win32PrioritySeparation", 2),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Control\\DeviceGuard\\Scenarios\\HypervisorEnforcedCodeIntegrity", "Enabled", 0),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Control\\DeviceGuard", "EnableVirtualizationBasedSecurity", 0),
    dword(kPolicyDeviceGuard, "EnableVirtualizationBasedSecurity", 0),
    dword(kPolicyDeviceGuard, "HypervisorEnforcedCodeIntegrity", 0),
    call(apply_processor_power),
    power_pair("0012ee47-9041-4b5d-9b77-535fba8b1442", "6738e2c4-e8a5-4a42-b16a-e040e769756e", "0"),
};

constexpr Change kRamSettings[] = {
    dword(kMemoryManagement, "LargeSystemCache", 0),
    dword(kMemoryManagement, "ClearPageFileAtShutdown", 0),
    dword(kMemoryManagement, "DisablePageCombining", 1),
    dword(kMemoryManagement, "DisablePagingExecutive", 0),
    dword(kPrefetchParameters, "EnablePrefetcher", 3),
    dword(kPrefetchParameters, "EnableSuperfetch", 3),
    dword("HKLM\\Software\\Microsoft\\FTH", "Enabled", 0),
    dword("HKLM\\System\\CurrentControlSet\\Control\\Session Manager", "HeapDeCommitFreeBlockThreshold", 0x40000),
    dword(kSessionPower, "HiberbootEnabled", 0),
    service_auto_start("MMCSS"),
};

constexpr Change kFsutilBehaviour[] = {
    run("fsutil behavior set memoryusage 2"),
    run("fsutil behavior set disablelastaccess 1"),
    run("fsutil behavior set encryptpagingfile 0"),
    run("fsutil behavior set disabledeletenotify 0"),
};

// "Medium" and "Normal", not "High": the same values "Audio stability" writes.
constexpr Change kMmcssGames[] = {
    dword(kGamesTask, "Affinity", 0),
    sz(kGamesTask, "Background Only", "False"),
    dword(kGamesTask, "Clock Rate", 10000),
    dword(kGamesTask, "GPU Priority", 8),
    dword(kGamesTask, "Priority", 2),
    sz(kGamesTask, "Scheduling Category", "Medium"),
    sz(kGamesTask, "SFIO Priority", "Normal"),
    del(kGamesTask, "Latency Sensitive"),
    del(kGamesTask, "NoLazyMode"),
};

constexpr Change kFullscreen[] = {
    dword(kGameConfigStore, "GameDVR_FSEBehaviorMode", 2),
    dword(kGameConfigStore, "GameDVR_HonorUserFSEBehaviorMode", 1),
    dword(kGameConfigStore, "GameDVR_DXGIHonorFSEWindowsCompatible", 1),
    dword(kGameConfigStore, "GameDVR_EFSEFeatureFlags", 0),
    dword(kGameConfigStore, "GameDVR_FSEBehavior", 2),
};

constexpr Change kHags[] = {
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers", "HwSchMode", 2),
};

constexpr Change kVisualFx[] = {
    dword("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\VisualEffects", "VisualFXSetting", 2),
    sz("HKCU\\Control Panel\\Desktop\\WindowMetrics", "MinAnimate", "0"),
    dword("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "TaskbarAnimations", 0),
    dword(kDwm, "EnableAeroPeek", 0),
    dword(kDwm, "AlwaysHibernateThumbnails", 0),
    sz(kDesktop, "DragFullWindows", "0"),
    sz(kDesktop, "MenuShowDelay", "0"),
    dword("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", "EnableTransparency", 0),
    spi_record(kSpiSetAnimation, 8, kAnimationInfoOff),
    spi(kSpiSetUiEffects, 0),
    spi(kSpiSetMenuAnimation, 0),
    spi(kSpiSetComboBoxAnimation, 0),
    spi(kSpiSetClientAreaAnimation, 0),
    spi(kSpiSetDropShadow, 0),
};

constexpr Change kSysMainOff[] = {
    service_stop("SysMain", 4),
};
// clang-format on

} // namespace

void apply_game_dvr_off() {
    apply_changes(kGameDvrOff);
}
void apply_cpu_schedule() {
    apply_changes(kCpuSchedule);
}
void apply_mmcss_games() {
    apply_changes(kMmcssGames);
}
void apply_fullscreen() {
    apply_changes(kFullscreen);
}
void apply_hags() {
    apply_changes(kHags);
}
void apply_visual_fx() {
    apply_changes(kVisualFx);
}
void apply_sysmain_off() {
    apply_changes(kSysMainOff);
}

void apply_dwm_mmcss() {
    current_machine().system_state().dwm_enable_mmcss(true); // the result is of no use here
}

unsigned svchost_split_threshold_kib(unsigned long long total_physical_bytes) {
    const auto kib = static_cast<std::uint32_t>(total_physical_bytes >> 10); // kept in 32 bits
    return kib < kMinimumSplitThresholdKib ? kMinimumSplitThresholdKib : kib;
}

void apply_ram() {
    apply_changes(kRamSettings);
    plan_note("the four fsutil commands run only when C:\\Windows\\System32\\fsutil.exe exists");
    if (current_machine().files().attributes(kFsutil)) {
        apply_changes(kFsutilBehaviour);
    }
    const std::optional<MemoryStatus> memory = current_machine().system_state().memory_status();
    if (!memory) {
        return;
    }
    const std::uint32_t threshold = svchost_split_threshold_kib(memory->total_physical_bytes);
    // Opened, never created: a machine without this key is left as it is.
    RegistryKeyPtr control = current_machine().registry().open_key(
        Hive::LocalMachine, "SYSTEM\\CurrentControlSet\\Control", KeyAccess::SetValue);
    if (!control) {
        return;
    }
    control->set_value("SvcHostSplitThresholdInKB", kRegDword,
                       reinterpret_cast<const std::uint8_t*>(&threshold), sizeof threshold);
}

} // namespace tavrine
