#pragma once
// What the crosshair overlay needs from the window system. crosshair_window_win32.cpp reads the
// real mouse and owns the layered window; crosshair_window_headless.cpp (native builds) has a
// mouse that never moves and no window. Everything but hide and stop runs on the overlay clock.

#include "overlays/crosshair.h"
#include "overlays/crosshair_motion.h"

#include <chrono>

namespace tavrine {

MouseSample read_crosshair_mouse();
// Shows the crosshair as `settings` and `motion` draw it; nothing happens when that frame is
// the one already shown.
void show_crosshair_window(const CrosshairSettings& settings, const CrosshairMotion& motion);
// Main thread, with the clock stopped.
void hide_crosshair_window();
void stop_crosshair_window();
// Tests and the benchmark: returns once the clock has ticked with the settings handed over so
// far (at once when it does not run).
void settle_crosshair_clock();

// One refresh of the display the crosshair is on.
std::chrono::nanoseconds display_refresh_period();

} // namespace tavrine
