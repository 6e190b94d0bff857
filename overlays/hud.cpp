#include "overlays/hud.h"

#include "overlays/sensors.h"

#include <algorithm>

namespace tavrine {

namespace {

struct HudRuntime {
    HudWindow* window = nullptr;
    float accumulator = 1.0f; // seconds since the last poll; starts high so the first frame polls
    bool redraw = true;
};

HudRuntime& runtime() {
    static HudRuntime instance;
    return instance;
}

void poll_sensors() {
    poll_cpu_and_memory();
    poll_gpu();
    if (hud_settings().show_ping) {
        poll_ping();
    } else {
        sensor_readings().ping_ms = -1;
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
        if (r.window && r.window->exists()) {
            r.window->hide();
        }
        close_sensors();
    }
    save_hud_settings();
}

void update_hud_overlay(float dt) {
    HudRuntime& r = runtime();
    const HudSettings& settings = hud_settings();
    if (!settings.enabled) {
        if (r.window && r.window->exists()) {
            r.window->hide();
        }
        if (sensors_open()) {
            close_sensors();
        }
        return;
    }
    r.accumulator += dt;
    const float interval = std::max(static_cast<float>(settings.poll_ms) / 1000.0f, 0.35f);
    if (r.accumulator >= interval || r.redraw) {
        poll_sensors();
        r.accumulator = 0;
        r.redraw = true;
    } else if (!r.window || r.window->exists()) {
        return;
    }
    if (!r.window) {
        r.redraw = false;
        return;
    }
    if (!r.window->exists() && !r.window->create()) {
        return;
    }
    r.window->present(
        build_hud_panel(settings, sensor_readings(), r.window->screen_width(), r.window->screen_height()));
    r.redraw = false;
}

void save_and_close_hud() {
    save_hud_settings();
    if (HudWindow* window = runtime().window; window && window->exists()) {
        window->destroy();
    }
    close_sensors();
}

} // namespace tavrine
