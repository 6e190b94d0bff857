// The GPU vendor profile. Fixed lists are `Change` tables; the per-adapter writes and the
// PCI walk are short code, since they depend on what the machine holds.
//
// Index:
//   [SECTION] Per-adapter values
//   [SECTION] Global changes
//   [SECTION] Message-signalled interrupts
//   [SECTION] Vendor bodies and the dispatcher
#include "tweaks/gpu_vendor.h"

#include "engine/changes.h"
#include "gpu/display_adapters.h"
#include "gpu/vendor_record.h"
#include "platform/ascii.h"
#include "platform/run_keys.h"
#include "tweaks/frames.h"

#include <cstdint>
#include <span>
#include <string>

namespace tavrine {

namespace {

// [SECTION] Per-adapter values ---------------------------------------------------------------

struct AdapterDword {
    const char* name;
    std::uint32_t value;
};

// A value in the adapter's "UMD" sub-key: four raw bytes, or a short string.
struct UmdValue {
    const char* name;
    std::uint32_t type;
    std::uint8_t bytes[4];
    std::uint32_t size;
};

// clang-format off
constexpr AdapterDword kNvidiaAdapter[] = {
    {"PciLatencyTimerControl", 0x20},
    {"DisableDynamicPstate", 1},
    {"PowerMizerEnable", 1},
    {"PowerMizerLevel", 1},
    {"PowerMizerLevelAC", 1},
    {"PerfLevelSrc", 0x2222},
    {"RmFbsrPagedDMA", 1},
};

constexpr AdapterDword kAmdAdapter[] = {
    {"EnableUlps", 0},
    {"EnableUlps_NA", 0},
    {"EnableAspmL0s", 0},
    {"EnableAspmL1", 0},
    {"StutterMode", 0},
    {"KMD_DeLagEnabled", 1},
    {"KMD_FRTEnabled", 0},
    {"DisableDMACopy", 1},
    {"PP_SclkDeepSleepDisable", 1},
    {"DisableDrmdmaPowerGating", 1},
    {"DisableSAMUPowerGating", 1},
    {"DisableUVDPowerGatingDynamic", 1},
    {"DisableVCEPowerGating", 1},
    {"3D_Refresh_Rate_Override_DEF", 0},
};

constexpr UmdValue kAmdUmd[] = {
    {"Main3D",        kRegBinary, {'1', 0, 0, 0}, 4},
    {"FlipQueueSize", kRegBinary, {'2', 0, 0, 0}, 4},
    {"ShaderCache",   kRegBinary, {'2', 0, 0, 0}, 4},
    {"VSyncControl",  kRegBinary, {'0', 0, 0, 0}, 4},
    {"TFQ",           kRegBinary, {'2', 0, 0, 0}, 4},
    {"Main3D_DEF",    kRegSz,     {'1', 0, 0, 0}, 2}, // "1" and its terminator
};

constexpr AdapterDword kIntelAdapter[] = {
    {"Disable_OverlayDSQualityEnhancement", 1},
    {"IncreaseFixedSegment", 1},
    {"AdaptiveVsyncEnable", 0},
    {"DisablePFonDP", 1},
    {"EnableCompensationForDVI", 1},
    {"NoFastLinkTrainingForeDP", 0},
    {"AllowDeepCStates", 0},
    {"EnableTiledDisplay", 0},
    {"PanelSelfRefreshOff", 1},
};
// clang-format on

constexpr std::size_t kUmdPathLimit = 359;

void set_adapter_dwords(RegistryKey& adapter, std::span<const AdapterDword> values) {
    for (const AdapterDword& value : values) {
        const std::uint32_t data = value.value;
        adapter.set_value(value.name, kRegDword, reinterpret_cast<const std::uint8_t*>(&data), 4);
    }
}

// Each value opens (creates) the "UMD" key afresh, as the driver panel's own writer does.
void set_umd_values(const std::string& adapter_path) {
    const std::string umd = adapter_path + "\\UMD";
    if (umd.size() > kUmdPathLimit) {
        return;
    }
    for (const UmdValue& value : kAmdUmd) {
        RegistryKeyPtr key = current_machine().registry().create_key(Hive::LocalMachine, umd);
        if (key) {
            key->set_value(value.name, value.type, value.bytes, value.size);
        }
    }
}

void write_nvidia_adapters() {
    enumerate_display_adapters([](RegistryKey& key, const std::string&, const std::string& description) {
        if (adapter_is(GpuVendor::Nvidia, description)) {
            set_adapter_dwords(key, kNvidiaAdapter);
        }
    });
}

void write_amd_adapters() {
    enumerate_display_adapters([](RegistryKey& key, const std::string& path, const std::string& description) {
        if (adapter_is(GpuVendor::Amd, description)) {
            set_adapter_dwords(key, kAmdAdapter);
            set_umd_values(path);
        }
    });
}

void write_intel_adapters() {
    enumerate_display_adapters([](RegistryKey& key, const std::string&, const std::string& description) {
        if (adapter_is(GpuVendor::Intel, description)) {
            set_adapter_dwords(key, kIntelAdapter);
        }
    });
}

// [SECTION] Global changes -------------------------------------------------------------------

constexpr const char* kNvFts = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\nvlddmkm\\FTS";
constexpr const char* kNvlddmkm = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\nvlddmkm";
constexpr const char* kGraphicsDrivers = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers";

// clang-format off
constexpr Change kNvidiaProfile[] = {
    call(write_nvidia_adapters),
    call(apply_gpu_msi_mode),
    dword(kNvFts, "EnableRID61684", 1),
    dword(kNvFts, "EnableRID73779", 1),
    dword(kNvFts, "EnableRID73780", 1),
    dword(kNvFts, "EnableRID74361", 1),
    dword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\nvlddmkm\\Global\\NVTweak", "DisplayPowerSaving", 0),
    dword(kGraphicsDrivers, "PlatformSupportMiracast", 0),
    dword(kNvlddmkm, "RmGpsPsEnablePerCpuCoreDpc", 1),
    dword(kNvlddmkm, "DisablePreemption", 0),
    dword(kNvlddmkm, "EnableCEPreemption", 1),
    dword(kNvlddmkm, "DisableWriteCombining", 0),
    dword(kGraphicsDrivers, "TdrDelay", 10),
    dword(kGraphicsDrivers, "TdrDdiDelay", 10),
    dword("HKLM\\SOFTWARE\\NVIDIA Corporation\\Global\\NVTweak", "NvCplDisableRefreshRateOverlay", 1),
    dword("HKLM\\SOFTWARE\\NVIDIA Corporation\\NvControlPanel2\\Client", "OptInOrOutPreference", 0),
    dword("HKCU\\Software\\NVIDIA Corporation\\Global\\NVTweak", "Gestalt", 0x201),
    dword("HKCU\\SOFTWARE\\NVIDIA Corporation\\NVIDIA Overlay", "ShowFastPollRate", 0),
    del(kMachineRunKey, "NvBackend"),
    service_stop("NvTelemetryContainer", 3),
    service_auto_start("NVDisplay.ContainerLocalSystem"),
    run("taskkill /F /IM \"NVIDIA Share.exe\" >nul 2>&1"),
    run("taskkill /F /IM \"NVIDIA Web Helper.exe\" >nul 2>&1"),
    run("taskkill /F /IM nvsphelper64.exe >nul 2>&1"),
    task("NvTmRep_CrashReport1_{B2FE1952-0186-46C3-BAEC-A80AA35AC5B8}"),
    task("NvTmRep_CrashReport2_{B2FE1952-0186-46C3-BAEC-A80AA35AC5B8}"),
    task("NvTmRep_CrashReport3_{B2FE1952-0186-46C3-BAEC-A80AA35AC5B8}"),
    task("NvTmRep_CrashReport4_{B2FE1952-0186-46C3-BAEC-A80AA35AC5B8}"),
};

constexpr Change kAmdProfile[] = {
    call(write_amd_adapters),
    service_stop("amdlog", 4),
};

constexpr Change kIntelProfile[] = {
    call(write_intel_adapters),
    dword("HKLM\\SOFTWARE\\Intel\\GMM", "DedicatedSegmentSize", 512),
};
// clang-format on

// [SECTION] Message-signalled interrupts -----------------------------------------------------

constexpr const char* kPciEnum = "SYSTEM\\CurrentControlSet\\Enum\\PCI";
constexpr std::string_view kDeviceParameters = "\\Device Parameters";
constexpr std::size_t kMsiKeyLimit = 899;

bool names_display_class(std::string_view text) {
    return icontains(text, "CC_0300") || icontains(text, "CC_0380");
}

bool names_gpu_vendor(std::string_view text) {
    return icontains(text, "VEN_10DE") || icontains(text, "VEN_1002") || icontains(text, "VEN_8086");
}

// Windows names a PCI device's instance key by vendor, device, subsystem and revision only;
// the class code is in its "HardwareID" and "CompatibleIDs" lists. Both are read from the
// instance key, the parent of "Device Parameters".
bool ids_name_display_class(std::string_view device_parameters_path) {
    if (device_parameters_path.size() <= kDeviceParameters.size()) {
        return false;
    }
    const std::string_view instance =
        device_parameters_path.substr(0, device_parameters_path.size() - kDeviceParameters.size());
    RegistryKeyPtr key = current_machine().registry().open_key(Hive::LocalMachine, instance, KeyAccess::Read);
    if (!key) {
        return false;
    }
    for (const char* list : {"HardwareID", "CompatibleIDs"}) {
        const std::optional<RegistryValue> value = key->query_value(list);
        if (value && names_display_class(std::string_view(reinterpret_cast<const char*>(value->data.data()),
                                                          value->data.size()))) {
            return true;
        }
    }
    return false;
}

void write_msi_values(RegistryKey& /*device_parameters*/, const char* path) {
    const std::string_view p = path;
    if (!names_gpu_vendor(p) || !(names_display_class(p) || ids_name_display_class(p))) {
        return;
    }
    const std::string base = "HKLM\\" + std::string(p) + "\\Interrupt Management\\";
    const std::string msi = base + "MessageSignaledInterruptProperties";
    const std::string affinity = base + "Affinity Policy";
    if (msi.size() > kMsiKeyLimit || affinity.size() > kMsiKeyLimit) {
        return;
    }
    write_dword(RegistryPath(msi.c_str()), "MSISupported", 1);
    write_dword(RegistryPath(affinity.c_str()), "DevicePriority", 0);
}

} // namespace

// [SECTION] Vendor bodies and the dispatcher -------------------------------------------------

void apply_gpu_msi_mode() {
    find_subkeys_named(kPciEnum, 0, write_msi_values);
}

void apply_nvidia_profile() {
    apply_changes(kNvidiaProfile);
}

void apply_amd_profile() {
    apply_changes(kAmdProfile);
}

void apply_intel_profile() {
    apply_changes(kIntelProfile);
}

void apply_gpu_vendor_profile(GpuVendor vendor) {
    switch (vendor_from_code(static_cast<std::int32_t>(vendor))) {
    case GpuVendor::Nvidia:
        apply_nvidia_profile();
        break;
    case GpuVendor::Amd:
        apply_amd_profile();
        break;
    case GpuVendor::Intel:
        apply_intel_profile();
        break;
    case GpuVendor::Unknown: {
        // Classified into a record of this call's own: the setup screen's may be on show.
        const int present = classify_adapters().presence_mask;
        if ((present & kNvidiaBit) != 0 || present == 0) {
            apply_nvidia_profile();
        }
        if ((present & kAmdBit) != 0) {
            apply_amd_profile();
        }
        if ((present & kIntelBit) != 0) {
            apply_intel_profile();
        }
        break;
    }
    }
    apply_gpu_msi_mode();
}

void apply_gpu_profile_step() {
    apply_gpu_vendor_profile(remembered_vendor());
}

} // namespace tavrine
