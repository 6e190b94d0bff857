// The crosshair overlay's per-frame update and its clock. While the overlay is shown the
// motion model and the rainbow belong to the overlay clock (overlays/overlay_clock.h), which
// steps them once per display refresh whether or not the main window draws; the main thread
// only hands it the settings and reads the model back for the Crosshair page. While the
// overlay is off the main thread steps the model itself, as the page's preview still shows it.
#include "overlays/crosshair.h"
#include "overlays/crosshair_motion.h"
#include "overlays/crosshair_screen.h"
#include "overlays/overlay_clock.h"
#include "overlays/overlays_state.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace tavrine {

namespace {

LiveCrosshair& live() {
    return overlays_state().live_crosshair;
}

bool moves_by_itself(const CrosshairSettings& settings) {
    return settings.rainbow || settings.react_to_recoil;
}

// On the clock thread. The mouse is read outside the lock: under Wine each read is a round trip.
bool tick(float dt) {
    LiveCrosshair& l = live();
    bool reads_mouse = false;
    {
        std::lock_guard<std::mutex> hold(l.lock);
        reads_mouse = l.settings.react_to_recoil;
    }
    const MouseSample mouse = reads_mouse ? read_crosshair_mouse() : MouseSample{};
    CrosshairSettings settings;
    CrosshairMotion motion;
    {
        std::lock_guard<std::mutex> hold(l.lock);
        rainbow_step(l.motion, l.settings, dt);
        motion_step(l.motion, l.settings, dt, mouse);
        settings = l.settings;
        motion = l.motion;
    }
    show_crosshair_window(settings, motion);
    // A still crosshair without recoil or rainbow sleeps until the settings change.
    return moves_by_itself(settings);
}

// Takes the model back from the clock: the main thread steps it again.
void stop_clock(LiveCrosshair& l) {
    if (!l.clock.running()) {
        return;
    }
    l.clock.stop();
    crosshair_motion() = l.motion;
}

} // namespace

void update_crosshair_overlay(float dt) {
    CrosshairSettings& settings = crosshair_settings();
    CrosshairMotion& motion = crosshair_motion();
    LiveCrosshair& l = live();
    if (!settings.enabled) {
        stop_clock(l);
        rainbow_step(motion, settings, dt);
        // A pass without a frame (dt 0: the window is minimised) has nothing to show the model on.
        if (dt > 0) {
            motion_step(motion, settings, dt,
                        settings.react_to_recoil ? read_crosshair_mouse() : MouseSample{});
        }
        hide_crosshair_window(); // hidden, not destroyed; an unchanged frame costs no push
        return;
    }
    if (!l.clock.running()) {
        {
            std::lock_guard<std::mutex> hold(l.lock);
            l.settings = settings;
            l.motion = motion;
        }
        l.clock.start(tick, display_refresh_period()); // not started: tried again next frame
        return;
    }
    bool changed = false;
    {
        std::lock_guard<std::mutex> hold(l.lock);
        CrosshairSettings incoming = settings;
        if (incoming.rainbow) {
            incoming.colour = l.settings.colour; // the clock's hue is the current one
        }
        changed = !(incoming == l.settings);
        l.settings = incoming;
        motion = l.motion;
        // Stored as the rainbow step stores it, so a save keeps the colour shown.
        settings.colour = l.settings.colour;
    }
    if (changed) {
        l.clock.wake();
    }
}

void settle_crosshair_clock() {
    LiveCrosshair& l = live();
    if (!l.clock.running()) {
        return;
    }
    const std::uint64_t before = l.clock.ticks();
    l.clock.wake();
    // Two ticks: one may have been under way with older settings when this was called.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (l.clock.ticks() < before + 2 && std::chrono::steady_clock::now() < give_up) {
        l.clock.wake();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void destroy_crosshair_overlay() {
    stop_clock(live());
    stop_crosshair_window();
}

} // namespace tavrine
