#include "overlays/hud.h"

#include "overlays/hud_poller.h"
#include "overlays/overlays_state.h"
#include "overlays/sensors.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace tavrine {

namespace {

// A poll interval read from a damaged file never polls more often than this.
constexpr int kShortestPollMs = 350;

HudRuntime& runtime() {
    return overlays_state().hud_runtime;
}

// On the poll thread, with the settings as they were when the poll was asked for.
void poll_and_present(const HudSettings& settings, HudWindow* window) {
    poll_cpu_and_memory();
    poll_gpu();
    if (settings.show_ping) {
        poll_ping();
    } else {
        sensor_readings().ping_ms = -1;
    }
    if (window) {
        window->present(
            build_hud_panel(settings, sensor_readings(), window->screen_width(), window->screen_height()));
    }
}

// Nothing may poll or present once the HUD is off: the poll in flight ends first.
void hide_and_close(HudRuntime& r) {
    r.poller.cancel_repeat();
    r.polling.reset();
    r.poller.wait_idle();
    if (r.window && r.window->exists()) {
        r.window->hide();
    }
    if (sensors_open()) {
        close_sensors();
    }
}

} // namespace

HudSettings& hud_settings() {
    return overlays_state().hud_settings;
}

void set_hud_window(HudWindow* window) {
    runtime().window = window;
}

void request_hud_redraw() {
    runtime().redraw = true;
}

void toggle_hud() {
    HudRuntime& r = runtime();
    HudSettings& settings = hud_settings();
    r.redraw = true;
    const bool was_on = settings.enabled;
    settings.enabled = !was_on;
    if (was_on) {
        hide_and_close(r);
    }
    save_hud_settings();
}

void switch_hud_sources_off() {
    hide_and_close(runtime());
}

void update_hud_overlay(float) {
    HudRuntime& r = runtime();
    const HudSettings& settings = hud_settings();
    if (!settings.enabled) {
        hide_and_close(r);
        return;
    }
    // The poll thread keeps the interval itself, so the panel goes on while no frame is drawn;
    // a frame only hands it changed settings, or a redraw.
    const bool changed = !r.polling || !(*r.polling == settings);
    if (!r.redraw && !changed && (!r.window || r.window->exists())) {
        return;
    }
    if (r.window && !r.window->exists() && !r.window->create()) {
        return; // tried again next frame
    }
    const bool now = r.redraw || !r.polling;
    const int interval_ms = std::max(settings.poll_ms, kShortestPollMs);
    r.poller.repeat([settings, window = r.window] { poll_and_present(settings, window); },
                    std::chrono::milliseconds(interval_ms), now);
    r.polling = settings;
    r.redraw = false;
}

void wait_for_hud_poll() {
    runtime().poller.wait_idle();
}

void save_and_close_hud() {
    save_hud_settings();
    HudRuntime& r = runtime();
    r.poller.stop();
    if (r.window && r.window->exists()) {
        r.window->destroy();
    }
    close_sensors();
}

} // namespace tavrine
