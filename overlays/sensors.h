#pragma once
// The readings behind the HUD and the sources they come from. Every source is opened on the
// first poll that needs it and closed by close_sensors, so nothing runs while the HUD is off.
// GPU figures come from the first source that works: NVML, then AMD ADL, then the PDH engine
// counters; video memory always from DXGI. One thread at a time: the HUD's poll thread while
// the HUD is on, the main thread once that thread is idle (overlays/hud_poller.h). The ping's
// echo runs on a worker of its own (overlays/ping_worker.h) so that no poll waits for the network.

#include "platform/sensors.h"

#include <cstdint>
#include <span>
#include <string>

namespace tavrine {

struct SensorReadings {
    float cpu_load = 0;    // percent, busy share since the previous poll
    int cpu_clock_now = 0; // MHz, average of the processors' current clocks
    int cpu_clock_max = 0; // MHz, highest maximum clock
    float ram_load = 0;    // percent
    float ram_used_gb = 0; // GiB
    float ram_total_gb = 0;
    float gpu_load = -1;        // percent; -1: no reading
    float gpu_temperature = -1; // degrees C; -1: no reading
    int gpu_core_clock = 0;     // MHz; 0: no reading
    int gpu_memory_clock = 0;
    float vram_used_gb = 0; // GiB
    float vram_total_gb = 0;
    std::string gpu_name = "GPU"; // UTF-8, at most 95 bytes
    std::string gpu_source;       // "NVML", "ADL", "PDH", or "DXGI" when none of them gave a load
    int ping_ms = -1;             // -1: off or never answered
};

// The process-wide readings; the polling thread only (see above).
SensorReadings& sensor_readings();

void poll_cpu_and_memory();
void poll_gpu();
// Shows the last echo's answer and starts the next one unless one is still in flight.
void poll_ping();
// Closes every source and forgets which were tried; readings keep their last values.
void close_sensors();
// True while any source is open or marked tried (the next close has something to do).
bool sensors_open();

// The address the HUD pings (1.1.1.1), in network order as the echo takes it.
inline constexpr std::uint32_t kPingAddress = 0x01010101;
// The echo's time-out.
inline constexpr std::uint32_t kPingTimeoutMs = 180;

// The busiest 3D or graphics engine; when none is valid, the busiest valid engine of any kind;
// -1 when none is valid. Engines are never summed.
double busiest_gpu_engine(std::span<const EngineUtilisation> engines);

} // namespace tavrine
