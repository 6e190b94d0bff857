#pragma once
// What the HUD shows of the machine, as the last poll left it (overlays/sensors.h polls).

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

} // namespace tavrine
