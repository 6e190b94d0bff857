#pragma once
// The readings behind the HUD and the sources they come from. Every source is opened on the
// first poll that needs it and closed by close_sensors, so nothing runs while the HUD is off.
// GPU figures come from the first source that works: NVML, then AMD ADL, then the PDH engine
// counters; video memory always from DXGI. One thread at a time: the HUD's poll thread while
// the HUD is on, the main thread once that thread is idle (overlays/hud_poller.h). The ping's
// echo runs on a worker of its own (overlays/ping_worker.h) so that no poll waits for the network.

#include "overlays/ping_worker.h"
#include "overlays/sensor_readings.h"
#include "platform/sensors.h"

#include <cstdint>
#include <span>
#include <string>

namespace tavrine {

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

// The busiest 3D or graphics engine; when none is valid, the busiest valid engine of any kind;
// -1 when none is valid. Engines are never summed.
double busiest_gpu_engine(std::span<const EngineUtilisation> engines);

} // namespace tavrine
