#pragma once
// Display adapters and PCI devices on the fake, as Windows lays them out.

#include "gpu/display_adapters.h"
#include "gpu/vendor_record.h"
#include "platform/fake/fake_machine.h"
#include "runs/gpu_setup.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace tavrine::test {

// "HKLM\<display class>\<index>" with its "DriverDesc".
inline std::string add_adapter(FakeMachine& fake, std::string_view index, std::string_view description) {
    const std::string path = std::string("HKLM\\") + kDisplayClassKey + "\\" + std::string(index);
    fake.registry().put_string(path, "DriverDesc", description);
    return path;
}

// A REG_MULTI_SZ list.
inline RegistryValue multi_string(std::initializer_list<std::string_view> items) {
    RegistryValue value{kRegMultiSz, {}};
    for (std::string_view item : items) {
        value.data.insert(value.data.end(), item.begin(), item.end());
        value.data.push_back(0);
    }
    value.data.push_back(0);
    return value;
}

// A PCI device instance under Enum\PCI with a "Device Parameters" key; returns the latter's
// path with its hive.
inline std::string add_pci_device(FakeMachine& fake, std::string_view instance, std::string_view hardware_id,
                                  std::string_view compatible_id) {
    const std::string device = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\" + std::string(instance);
    fake.registry().put_value(device, "HardwareID", multi_string({hardware_id}));
    fake.registry().put_value(device, "CompatibleIDs", multi_string({compatible_id}));
    fake.registry().add_key(device + "\\Device Parameters");
    return device + "\\Device Parameters";
}

inline bool msi_enabled(FakeMachine& fake, const std::string& device_parameters) {
    return fake.registry().dword(device_parameters +
                                     "\\Interrupt Management\\MessageSignaledInterruptProperties",
                                 "MSISupported") == 1u;
}

// The detection record, the remembered vendor and the worker starter as a fresh process has them.
inline void reset_gpu_state() {
    GpuDetection& detection = gpu_detection();
    detection.shown_presence_mask = 0;
    detection.selected_vendor = GpuVendor::Unknown;
    detection.adapter_display_name = kGenericAdapterName;
    detection.manual_pick = false;
    detection.setup_phase = SetupPhase::Choosing;
    detection.detected_once = false;
    detection.tune_progress = 0.0f;
    detection.applied_seconds = 0.0f;
    detection.tuning_busy.store(false);
    detection.tuning_done.store(false);
    set_remembered_vendor(GpuVendor::Unknown);
    set_gpu_worker_starter(nullptr);
}

// Runs a worker's job on the calling thread, before the start returns.
inline bool run_in_place(std::function<void()> job) {
    job();
    return true;
}

inline bool refuse_thread(std::function<void()> /*job*/) {
    return false;
}

} // namespace tavrine::test
