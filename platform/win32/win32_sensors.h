#pragma once
// The real sensors, one file per source: win32_sensors_nvml.cpp, _adl.cpp, _pdh.cpp, _dxgi.cpp,
// _ping.cpp, and the processor clocks in win32_sensors.cpp.

#include "platform/sensors.h"

namespace tavrine {

Sensors& win32_sensors();

namespace win32 {

std::unique_ptr<VideoAdapter> open_dxgi_adapter();
std::unique_ptr<GpuLibrary> open_nvml_library();
std::unique_ptr<GpuLibrary> open_adl_library();
std::unique_ptr<GpuEngineCounter> open_pdh_engine_counter();
std::unique_ptr<IcmpChannel> open_icmp_channel();

} // namespace win32

} // namespace tavrine
