#include "tweaks/latency.h"

#include "engine/changes.h"
#include "platform/ascii.h"
#include "platform/spi_actions.h"
#include "tweaks/game_executables.h"

#include <cstdio>
#include <cstring>

namespace tavrine {

namespace {

constexpr const char* kSystemProfile =
    "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile";
constexpr const char* kGamesTask =
    "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile\\Tasks\\Games";
constexpr const char* kPriorityControl = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl";
constexpr const char* kMemoryManagement =
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
constexpr const char* kPrefetchParameters =
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";
constexpr const char* kPerfOptionsFormat =
    "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\%s\\PerfOptions";
constexpr const char* kUsbService = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\USB";
constexpr const char* kMouse = "HKCU\\Control Panel\\Mouse";
constexpr const char* kDefaultUserMouse = "HKU\\.DEFAULT\\Control Panel\\Mouse";
constexpr const char* kGameBar = "HKCU\\SOFTWARE\\Microsoft\\GameBar";
constexpr const char* kNotificationSettings =
    "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Notifications\\Settings";

// Power-setting sub-groups and settings used with "powercfg".
constexpr const char* kUsbSubGroup = "2a737441-1930-4402-8d77-b2bebba308a3";
constexpr const char* kUsbSelectiveSuspend = "48e6b7a6-50f5-4782-a5d4-53bb8f07e226";
constexpr const char* kProcessorSubGroup = "54533251-82be-4824-96c1-47b60b740d00";
constexpr const char* kHighPerformanceScheme = "e9a42b02-d5df-448d-aa00-03f14749eb61";
constexpr const char* kFallbackScheme = "8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c";

// Both mouse thresholds and the acceleration off.
constexpr std::uint32_t kMouseParams[] = {0, 0, 0};
constexpr std::uint32_t kStickyKeysRecord[] = {8, 0}; // STICKYKEYS {size, flags}
constexpr std::uint32_t kToggleKeysRecord[] = {8, 0}; // TOGGLEKEYS {size, flags}
constexpr std::uint32_t kFilterKeysRecord[] = {
    24, 0, 0, 0, 0, 0}; // FILTERKEYS {size, flags, wait, delay, repeat, bounce}

// clang-format off
constexpr Change kAudioStabilityBeforeGames[] = {
    dword(kSystemProfile, "SystemResponsiveness", 20),
    del(kSystemProfile, "NoLazyMode"),
    del(kSystemProfile, "LazyModeTimeout"),
    dword(kGamesTask, "GPU Priority", 8),
    dword(kGamesTask, "Priority", 2),
    sz(kGamesTask, "Scheduling Category", "Medium"),
    sz(kGamesTask, "SFIO Priority", "Normal"),
    sz(kGamesTask, "Background Only", "False"),
    dword(kGamesTask, "Clock Rate", 10000),
    del(kGamesTask, "NoLazyMode"),
    del(kGamesTask, "Latency Sensitive"),
    dword(kPriorityControl, "Win32PrioritySeparation", 2),
    del("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\csrss.exe\\PerfOptions",
        "CpuPriorityClass"),
    del("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\csrss.exe\\PerfOptions",
        "IoPriority"),
};

constexpr Change kAudioStabilityAfterGames[] = {
    dword(kPrefetchParameters, "EnablePrefetcher", 3),
    dword(kPrefetchParameters, "EnableSuperfetch", 3),
    dword(kMemoryManagement, "DisablePagingExecutive", 0),
    dword("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\DriverSearching", "SearchOrderConfig", 1),
    del("HKLM\\SOFTWARE\\Microsoft\\WindowsUpdate\\UX\\Settings", "ExcludeWUDriversInQualityUpdate"),
    del("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\WindowsUpdate", "ExcludeWUDriversInQualityUpdate"),
    run("bcdedit /deletevalue disabledynamictick"),
    run("bcdedit /deletevalue useplatformtick"),
    run("bcdedit /deletevalue tscsyncpolicy"),
    service_auto_start("Audiosrv"),
    service_auto_start("AudioEndpointBuilder"),
    run("net stop Audiosrv /y >nul 2>&1"),
    run("net start AudioEndpointBuilder >nul 2>&1"),
    run("net start Audiosrv >nul 2>&1"),
};

constexpr Change kProcessorPower[] = {
    power_pair(kProcessorSubGroup, "893dee8e-2bef-41e0-89c6-b55d0929964c", "100"),
    power_pair(kProcessorSubGroup, "bc5038f7-23e0-4960-96da-33abaf5935db", "100"),
    power_pair(kProcessorSubGroup, "0cc5b647-c1df-4637-891a-dec35c318583", "100"),
    power_pair(kProcessorSubGroup, "ea062031-0e34-4ff1-9b6d-eb1059334028", "100"),
    power_pair(kProcessorSubGroup, "be337238-0d82-4146-a960-4f3749d470c7", "2"),
    power_pair(kProcessorSubGroup, "93b8b6dc-0698-4d1c-9ee4-0644e900c85d", "2"),
    power_pair(kProcessorSubGroup, "bae08b81-2d5e-4688-ad6a-13243356654b", "2"),
    processor_alias("CPMINCORES", "100"),
    processor_alias("CPMAXCORES", "100"),
    processor_alias("PERFBOOSTMODE", "2"),
    processor_alias("PROCTHROTTLEMIN", "100"),
    processor_alias("PROCTHROTTLEMAX", "100"),
    run("powercfg /setactive SCHEME_CURRENT"),
};

constexpr Change kPowerPlanSettings[] = {
    power_pair(kUsbSubGroup, kUsbSelectiveSuspend, "0"),
    power_pair("19cbb8fa-5279-450e-9fac-8a3d5fedd0c1", "12bbebe6-58d6-4636-95bb-3217ef867c1a", "0"),
    power_pair("501a4d13-42af-4429-9fd1-a8210c268632", "ee12f906-d277-404b-b6da-e5fa1a576df5", "0"),
};

constexpr Change kInputDelay[] = {
    dword(kUsbService, "DisableSelectiveSuspend", 1),
    power_pair(kUsbSubGroup, kUsbSelectiveSuspend, "0"),
    run("powercfg /setactive SCHEME_CURRENT"),
    sz("HKCU\\Control Panel\\Keyboard", "KeyboardDelay", "0"),
    sz("HKCU\\Control Panel\\Keyboard", "KeyboardSpeed", "31"),
    spi(kSpiSetKeyboardDelay, 0),
    spi(kSpiSetKeyboardSpeed, 31),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\mouclass\\Parameters", "MouseDataQueueSize", 16),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\kbdclass\\Parameters", "KeyboardDataQueueSize", 16),
    spi_record(kSpiSetMouse, 0, kMouseParams),
    spi_value(kSpiSetMouseSpeed, 0, 10),
    device_walk("SYSTEM\\CurrentControlSet\\Enum\\USB", write_usb_suspend_values),
    service_auto_start("MMCSS"),
    service_auto_start("Audiosrv"),
};

// "MouseSensitivity" is the current user's only: the default user keeps its own.
constexpr Change kMouseAccelOff[] = {
    sz(kMouse, "MouseSpeed", "0"),
    sz(kMouse, "MouseThreshold1", "0"),
    sz(kMouse, "MouseThreshold2", "0"),
    sz(kMouse, "MouseSensitivity", "10"),
    sz(kDefaultUserMouse, "MouseSpeed", "0"),
    sz(kDefaultUserMouse, "MouseThreshold1", "0"),
    sz(kDefaultUserMouse, "MouseThreshold2", "0"),
    spi_record(kSpiSetMouse, 0, kMouseParams),
    spi_value(kSpiSetMouseSpeed, 0, 10),
};

constexpr Change kUsbPower[] = {
    dword(kUsbService, "DisableSelectiveSuspend", 1),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\usbhub", "DisableSelectiveSuspend", 1),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\usbhub3", "DisableSelectiveSuspend", 1),
    del("HKLM\\SYSTEM\\CurrentControlSet\\Services\\usbxhci\\Parameters", "ThreadPriority"),
    del("HKLM\\SYSTEM\\CurrentControlSet\\Services\\usbhub3\\Parameters", "ThreadPriority"),
    del("HKLM\\SYSTEM\\CurrentControlSet\\Services\\USBXHCI\\Parameters", "ThreadPriority"),
    run("powercfg /SETACVALUEINDEX SCHEME_CURRENT 2a737441-1930-4402-8d77-b2bebba308a3 "
        "48e6b7a6-50f5-4782-a5d4-53bb8f07e226 0"),
    run("powercfg /SETDCVALUEINDEX SCHEME_CURRENT 2a737441-1930-4402-8d77-b2bebba308a3 "
        "48e6b7a6-50f5-4782-a5d4-53bb8f07e226 0"),
    run("powercfg /SETACTIVE SCHEME_CURRENT"),
    device_walk("SYSTEM\\CurrentControlSet\\Enum\\USB", write_usb_suspend_values),
    device_walk("SYSTEM\\CurrentControlSet\\Enum\\USBSTOR", write_usb_suspend_values),
    device_walk("SYSTEM\\CurrentControlSet\\Enum\\PCI", write_usb_suspend_values_if_usb),
};

constexpr Change kGameMode[] = {
    dword(kGameBar, "AutoGameModeEnabled", 1),
    dword(kGameBar, "AllowAutoGameMode", 1),
    dword(kSystemProfile, "SystemResponsiveness", 20),
    dword(kSystemProfile, "NetworkThrottlingIndex", 0xFFFFFFFF),
    service_auto_start("MMCSS"),
};

constexpr Change kNotificationsOff[] = {
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\PushNotifications", "ToastEnabled", 0),
    dword(kNotificationSettings, "NOC_GLOBAL_SETTING_TOASTS_ENABLED", 0),
    dword(kNotificationSettings, "NOC_GLOBAL_SETTING_ALLOW_NOTIFICATION_SOUND", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Explorer", "DisableNotificationCenter", 1),
};

// The accessibility "Flags" are texts, not numbers.
constexpr Change kStickyKeysOff[] = {
    sz("HKCU\\Control Panel\\Accessibility\\StickyKeys", "Flags", "506"),
    sz("HKCU\\Control Panel\\Accessibility\\ToggleKeys", "Flags", "58"),
    sz("HKCU\\Control Panel\\Accessibility\\Keyboard Response", "Flags", "122"),
    sz("HKCU\\Control Panel\\Accessibility\\SoundSentry", "Flags", "0"),
    spi_record(kSpiSetStickyKeys, 8, kStickyKeysRecord),
    spi_record(kSpiSetToggleKeys, 8, kToggleKeysRecord),
    spi_record(kSpiSetFilterKeys, 24, kFilterKeysRecord),
};
// clang-format on

constexpr const char* kUsbSuspendValues[] = {
    "SelectiveSuspendOn", "SelectiveSuspendEnabled",  "EnhancedPowerManagementEnabled",
    "AllowIdleIrpInD3",   "DeviceSelectiveSuspended",
};

} // namespace

void restore_sane_defaults() {
    apply_changes(kAudioStabilityBeforeGames);
    for (const char* executable : kGameExecutables) {
        char path[520];
        std::snprintf(path, sizeof path, kPerfOptionsFormat, executable);
        delete_value(path, "CpuPriorityClass");
        delete_value(path, "IoPriority");
    }
    apply_changes(kAudioStabilityAfterGames);
}

void apply_power_plan() {
    char command[160];
    std::snprintf(command, sizeof command, "powercfg -duplicatescheme %s", kHighPerformanceScheme);
    run_hidden_exit_code(command); // fails harmlessly when the scheme already exists

    char switch_command[120];
    std::snprintf(switch_command, sizeof switch_command, "powercfg /s %s", kHighPerformanceScheme);
    const std::uint32_t switched = run_hidden_exit_code(switch_command);
    plan_note("the next command runs only when the switch above exits with a non-zero code");
    if (switched != 0) {
        std::snprintf(switch_command, sizeof switch_command, "powercfg /s %s", kFallbackScheme);
        run_hidden_exit_code(switch_command);
    }
    apply_processor_power();
    apply_changes(kPowerPlanSettings);
}

void apply_processor_power() {
    apply_changes(kProcessorPower);
}
void apply_input_delay() {
    apply_changes(kInputDelay);
}
void apply_mouse_accel_off() {
    apply_changes(kMouseAccelOff);
}
void apply_usb_power() {
    apply_changes(kUsbPower);
}
void apply_game_mode() {
    apply_changes(kGameMode);
}
void apply_notifications_off() {
    apply_changes(kNotificationsOff);
}
void apply_sticky_keys_off() {
    apply_changes(kStickyKeysOff);
}

void write_usb_suspend_values(RegistryKey& key, const char* /*path*/) {
    const std::uint32_t zero = 0;
    for (const char* name : kUsbSuspendValues) {
        key.set_value(name, kRegDword, reinterpret_cast<const std::uint8_t*>(&zero), 4);
    }
}

void write_usb_suspend_values_if_usb(RegistryKey& key, const char* path) {
    if (path != nullptr && icontains(path, "USB")) {
        write_usb_suspend_values(key, path);
    }
}

} // namespace tavrine
