#pragma once
// Everything the overlays keep for the program's lifetime, in one record (see
// engine/engine_state.h for the rule): a new member here is covered by the tests' reset.
// Members are destroyed last to first: the threads (the HUD's poller, the crosshair's clock)
// end before the sources and readings they use.

#include "overlays/crosshair.h"
#include "overlays/crosshair_motion.h"
#include "overlays/hud_poller.h"
#include "overlays/hud_settings.h"
#include "overlays/overlay_clock.h"
#include "overlays/ping_worker.h"
#include "overlays/sensor_readings.h"
#include "platform/sensors.h"
#include "platform/system_state.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

namespace tavrine {

class HudWindow;

// The open sensor sources and what was tried since the last close (sensors.cpp).
struct SensorSources {
    bool adapter_tried = false;
    std::unique_ptr<VideoAdapter> adapter;
    bool nvml_tried = false;
    std::unique_ptr<GpuLibrary> nvml;
    bool adl_tried = false;
    std::unique_ptr<GpuLibrary> adl;
    std::unique_ptr<GpuEngineCounter> engines;
    bool engines_primed = false;
    PingWorker ping;
    // GetSystemTimes of the previous poll: the first poll measures from zero.
    SystemTimes previous_times;
};

// The crosshair while its overlay clock runs (crosshair_overlay.cpp).
struct LiveCrosshair {
    std::mutex lock;            // settings and motion while the clock runs
    CrosshairSettings settings; // the clock's copy
    CrosshairMotion motion;
    OverlayClock clock;
};

// The HUD between frames (hud.cpp).
struct HudRuntime {
    HudWindow* window = nullptr;
    bool redraw = true;
    // The settings the poll thread repeats its poll with; none while the HUD is off, so the
    // first enabled frame polls at once.
    std::optional<HudSettings> polling;
    HudPoller poller; // polls the sensors at the interval and presents the panel, off the main thread
};

struct OverlaysState {
    SensorReadings sensor_readings;
    SensorSources sensor_sources;
    std::atomic<std::uint32_t> ping_address{kPingAddress};
    CrosshairSettings crosshair_settings;
    CrosshairMotion crosshair_motion;
    LiveCrosshair live_crosshair;
    HudSettings hud_settings;
    HudRuntime hud_runtime;
};

OverlaysState& overlays_state();

// For tests, and only while no worker runs: the overlays as a fresh start has them (a running
// poller or clock is ended first, by its owner's destructor).
void reset_overlays_state();

} // namespace tavrine
