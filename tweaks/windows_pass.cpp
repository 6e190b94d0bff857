#include "tweaks/cleanup.h"

#include "engine/changes.h"

namespace tavrine {

namespace {

// "Windows pass": sync, search, content suggestions, telemetry, error reporting, feeds and a
// few responsiveness values, then the consent store, Cortana's package and ten tasks.
// Every value is absolute; nothing is read first. "JPEGImportQuality" is 256 on purpose: do
// not "correct" it to 100.

// clang-format off
constexpr Change kWindowsPassDwordValues[] = {
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SettingSync", "SyncPolicy", 5),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SettingSync\\Groups\\Personalization", "Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SettingSync\\Groups\\BrowserSettings", "Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SettingSync\\Groups\\Credentials", "Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SettingSync\\Groups\\Accessibility", "Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SettingSync\\Groups\\Windows", "Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SettingSync\\Groups\\AppSync", "Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SettingSync\\Groups\\DesktopTheme", "Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SettingSync\\Groups\\Language", "Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SettingSync\\Groups\\PackageState", "Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SettingSync\\Groups\\StartLayout", "Enabled", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search", "AllowCortana", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search", "AllowCloudSearch", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search", "AllowCortanaAboveLock", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search", "AllowSearchToUseLocation", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search", "ConnectedSearchUseWeb", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search", "ConnectedSearchUseWebOverMeteredConnections", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search", "DisableWebSearch", 1),
    dword("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Search", "BingSearchEnabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer", "ShowFrequent", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer", "ShowRecent", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer", "TelemetrySalt", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoRecentDocsHistory", 1),
    dword("HKLM\\Software\\Policies\\Microsoft\\Windows\\Maps", "AutoDownloadAndUpdateMapData", 0),
    dword("HKLM\\Software\\Policies\\Microsoft\\Windows\\Maps", "AllowUntriggeredNetworkTrafficOnSettingsPage", 0),
    dword("HKLM\\Software\\Policies\\Microsoft\\Windows\\SettingSync", "DisableSettingSync", 2),
    dword("HKLM\\Software\\Policies\\Microsoft\\Windows\\SettingSync", "DisableSettingSyncUserOverride", 1),
    dword("HKLM\\Software\\Policies\\Microsoft\\Windows\\SettingSync", "DisableSyncOnPaidNetwork", 1),
    dword("HKLM\\Software\\Policies\\Microsoft\\FindMyDevice", "AllowFindMyDevice", 0),
    dword("HKLM\\Software\\Policies\\Microsoft\\FindMyDevice", "LocationSyncEnabled", 0),
    dword("HKLM\\System\\CurrentControlSet\\Control\\Remote Assistance", "fAllowFullControl", 0),
    dword("HKLM\\System\\CurrentControlSet\\Control\\Remote Assistance", "fAllowToGetHelp", 0),
    dword("HKLM\\System\\CurrentControlSet\\Control\\Remote Assistance", "fEnableChatControl", 0),
    dword("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Device Metadata", "PreventDeviceMetadataFromNetwork", 1),
    dword("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "DisableAutomaticRestartSignOn", 1),
    dword("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Schedule\\Maintenance", "MaintenanceDisabled", 1),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\CloudContent", "DisableWindowsConsumerFeatures", 1),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power", "HiberbootEnabled", 0),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Power\\PowerThrottling", "PowerThrottlingOff", 1),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\AFD\\Parameters", "FastSendDatagramThreshold", 409600),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", "EnableTransparency", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\GameDVR", "AllowGameDVR", 0),
    dword("HKCU\\System\\GameConfigStore", "GameDVR_Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\GameDVR", "AppCaptureEnabled", 0),
    dword("HKLM\\SOFTWARE\\Microsoft\\PolicyManager\\default\\ApplicationManagement\\AllowGameDVR", "value", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\GameBar", "AllowAutoGameMode", 1),
    dword("HKCU\\SOFTWARE\\Microsoft\\GameBar", "AutoGameModeEnabled", 1),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers", "HwSchMode", 2),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AdvertisingInfo", "Enabled", 0),
    dword("HKCU\\Control Panel\\International\\User Profile", "HttpAcceptLanguageOptOut", 1),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "Start_TrackProgs", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "DisallowShaking", 1),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "EnableBalloonTips", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "ShowSyncProviderNotifications", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "SubscribedContent-338393Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "SubscribedContent-353694Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "SubscribedContent-353696Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "SubscribedContent-310093Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "SubscribedContent-314563Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "SubscribedContent-338387Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "SubscribedContent-338388Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "SubscribedContent-338389Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "SubscribedContent-353698Enabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "SilentInstalledAppsEnabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "SystemPaneSuggestionsEnabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "SoftLandingEnabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "RotatingLockScreenEnabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", "RotatingLockScreenOverlayEnabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Speech_OneCore\\Settings\\OnlineSpeechPrivacy", "HasAccepted", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Personalization\\Settings", "AcceptedPrivacyPolicy", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\InputPersonalization", "RestrictImplicitInkCollection", 1),
    dword("HKCU\\SOFTWARE\\Microsoft\\InputPersonalization", "RestrictImplicitTextCollection", 1),
    dword("HKCU\\SOFTWARE\\Microsoft\\InputPersonalization\\TrainedDataStore", "HarvestContacts", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Diagnostics\\DiagTrack", "ShowedToastAtLevel", 1),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection", "AllowTelemetry", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Privacy", "TailoredExperiencesWithDiagnosticDataEnabled", 0),
    dword("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Diagnostics\\DiagTrack\\EventTranscriptKey", "EnableEventTranscript", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Siuf\\Rules", "NumberOfSIUFInPeriod", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\System", "PublishUserActivities", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\System", "UploadUserActivities", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\System", "EnableActivityFeed", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\BackgroundAccessApplications", "GlobalUserDisabled", 1),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Search", "BackgroundAppGlobalToggle", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\PushNotifications", "ToastEnabled", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Notifications\\Settings", "NOC_GLOBAL_SETTING_ALLOW_NOTIFICATION_SOUND", 0),
    dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Notifications\\Settings", "NOC_GLOBAL_SETTING_ALLOW_CRITICAL_TOASTS_ABOVE_LOCK", 0),
    dword("HKCU\\SOFTWARE\\Policies\\Microsoft\\Windows\\Explorer", "DisableNotificationCenter", 1),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Feeds", "EnableFeeds", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft", "AllowNewsAndInterests", 0),
    dword("HKLM\\Software\\Policies\\Microsoft\\Windows\\AdvertisingInfo", "DisabledByGroupPolicy", 1),
    dword("HKLM\\SOFTWARE\\Microsoft\\PolicyManager\\current\\device\\System", "AllowExperimentation", 0),
    dword("HKLM\\SOFTWARE\\Microsoft\\PolicyManager\\default\\System\\AllowExperimentation", "value", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Error Reporting", "Disabled", 1),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Error Reporting", "DoReport", 0),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Error Reporting", "LoggingDisabled", 1),
    dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\PCHealth\\ErrorReporting", "DoReport", 0),
    dword("HKLM\\SOFTWARE\\Microsoft\\Windows\\Windows Error Reporting", "Disabled", 1),
    dword("HKCU\\Control Panel\\Desktop", "JPEGImportQuality", 256),
};

constexpr Change kWindowsPassTextValues[] = {
    sz("HKCU\\SOFTWARE\\Microsoft\\DirectX\\UserGpuPreferences", "DirectXUserGlobalSettings", "VRROptimizeEnable=0;"),
    sz("HKCU\\Control Panel\\Accessibility\\MouseKeys", "Flags", "0"),
    sz("HKCU\\Control Panel\\Accessibility\\StickyKeys", "Flags", "506"),
    sz("HKCU\\Control Panel\\Accessibility\\Keyboard Response", "Flags", "122"),
    sz("HKCU\\Control Panel\\Accessibility\\ToggleKeys", "Flags", "58"),
    sz("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\userNotificationListener", "Value", "Deny"),
    sz("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\location", "Value", "Deny"),
    sz("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\appDiagnostics", "Value", "Deny"),
    sz("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\userAccountInformation", "Value", "Deny"),
    sz("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\activity", "Value", "Deny"),
    sz("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\appointments", "Value", "Deny"),
    sz("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\contacts", "Value", "Deny"),
    sz("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\email", "Value", "Deny"),
    sz("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\phoneCall", "Value", "Deny"),
    sz("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\webcam", "Value", "Allow"),
};

constexpr Change kRemoveCortanaPackage[] = {
    run("powershell -NoProfile -Command \"Get-AppxPackage -AllUsers *Microsoft.549981C3F5F10* | Remove-AppxPackage -ErrorAction SilentlyContinue\""),
};

constexpr Change kWindowsPassTasks[] = {
    task("\\Microsoft\\Windows\\Customer Experience Improvement Program\\Consolidator"),
    task("\\Microsoft\\Windows\\Customer Experience Improvement Program\\UsbCeip"),
    task("\\Microsoft\\Windows\\Customer Experience Improvement Program\\KernelCeipTask"),
    task("\\Microsoft\\Windows\\Application Experience\\Microsoft Compatibility Appraiser"),
    task("\\Microsoft\\Windows\\Application Experience\\ProgramDataUpdater"),
    task("\\Microsoft\\Windows\\Shell\\FamilySafetyMonitor"),
    task("\\Microsoft\\Windows\\Shell\\FamilySafetyRefresh"),
    task("\\Microsoft\\Windows\\Maintenance\\WinSAT"),
    task("\\Microsoft\\Windows\\Maps\\MapsUpdateTask"),
    task("\\Microsoft\\XblGameSave\\XblGameSaveTask"),
};
// clang-format on

static_assert(std::size(kWindowsPassDwordValues) == 98);
static_assert(std::size(kWindowsPassTextValues) == 15);
static_assert(std::size(kWindowsPassTasks) == 10);

} // namespace

void apply_windows_pass() {
    apply_changes(kWindowsPassDwordValues);
    apply_changes(kWindowsPassTextValues);
    apply_changes(kRemoveCortanaPackage);
    apply_changes(kWindowsPassTasks);
}

} // namespace tavrine
