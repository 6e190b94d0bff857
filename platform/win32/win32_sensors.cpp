#include "platform/win32/win32_sensors.h"

#include "platform/win32/win32_entry_points.h"
#include "platform/win32/win32_libraries.h"

#include <windows.h>

#include <powrprof.h>

namespace tavrine {

namespace {

// CallNtPowerInformation(ProcessorInformation) fills one of these per processor.
using CallNtPowerInformationFn = LONG(WINAPI*)(POWER_INFORMATION_LEVEL, PVOID, ULONG, PVOID, ULONG);

// powrprof.dll from System32 by its full path, loaded once on first use and kept for the
// process (the clocks are read on every sensor poll); not imported, which would have the
// loader look for it beside the executable first.
CallNtPowerInformationFn power_information() {
    static const HMODULE powrprof = win32::load_system_library("powrprof.dll");
    return win32::entry_point<CallNtPowerInformationFn>(powrprof, "CallNtPowerInformation");
}

struct ProcessorPowerRecord {
    ULONG number;
    ULONG max_mhz;
    ULONG current_mhz;
    ULONG mhz_limit;
    ULONG max_idle_state;
    ULONG current_idle_state;
};

class Win32Sensors final : public Sensors {
public:
    std::optional<std::vector<ProcessorClock>> processor_clocks() override {
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        const DWORD count = info.dwNumberOfProcessors > 0 ? info.dwNumberOfProcessors : 1;
        std::vector<ProcessorPowerRecord> records(count);
        const ULONG size = static_cast<ULONG>(records.size() * sizeof(ProcessorPowerRecord));
        const CallNtPowerInformationFn call = power_information();
        if (call == nullptr || call(ProcessorInformation, nullptr, 0, records.data(), size) != 0) {
            return std::nullopt;
        }
        std::vector<ProcessorClock> clocks;
        clocks.reserve(records.size());
        for (const ProcessorPowerRecord& record : records) {
            clocks.push_back({record.max_mhz, record.current_mhz});
        }
        return clocks;
    }
    std::unique_ptr<VideoAdapter> open_video_adapter() override { return win32::open_dxgi_adapter(); }
    std::unique_ptr<GpuLibrary> open_nvml() override { return win32::open_nvml_library(); }
    std::unique_ptr<GpuLibrary> open_adl() override { return win32::open_adl_library(); }
    std::unique_ptr<GpuEngineCounter> open_gpu_engine_counter() override {
        return win32::open_pdh_engine_counter();
    }
    std::unique_ptr<IcmpChannel> open_icmp() override { return win32::open_icmp_channel(); }
};

} // namespace

Sensors& win32_sensors() {
    static Win32Sensors sensors;
    return sensors;
}

} // namespace tavrine
