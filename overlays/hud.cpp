#include "overlays/hud.h"

#include "overlays/hud_poller.h"
#include "overlays/sensors.h"

#include <algorithm>

namespace tavrine {

namespace {

struct HudRuntime {
    HudWindow* window = nullptr;
    float accumulator = 1.0f; // seconds since the last poll; starts high so the first frame polls
    bool redraw = true;
    HudPoller poller; // polls the sensors and presents the panel off the main thread
};

HudRuntime& runtime() {
    static HudRuntime instance;
    return instance;
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
    r.poller.wait_idle();
    if (r.window && r.window->exists()) {
        r.window->hide();
    }
    if (sensors_open()) {
        close_sensors();
    }
}

} // namespace

void set_hud_window(HudWindow* window) {
    runtime().window = window;
}

HudSettings& hud_settings() {
    static HudSettings settings;
    return settings;
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

void update_hud_overlay(float dt) {
    HudRuntime& r = runtime();
    const HudSettings& settings = hud_settings();
    if (!settings.enabled) {
        hide_and_close(r);
        return;
    }
    r.accumulator += dt;
    const float interval = std::max(static_cast<float>(settings.poll_ms) / 1000.0f, 0.35f);
    const bool due = r.accumulator >= interval || r.redraw;
    if (!due && (!r.window || r.window->exists())) {
        return;
    }
    if (r.window && !r.window->exists() && !r.window->create()) {
        return; // tried again next frame
    }
    r.accumulator = 0;
    r.redraw = false;
    r.poller.request([settings, window = r.window] { poll_and_present(settings, window); });
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
