#pragma once
// The hardware HUD: a click-through, topmost panel in a screen corner, polled at the chosen
// interval while it is on. The logic here is portable; the window that paints the panel is a
// HudWindow (overlays/hud_window_win32.cpp on Windows), installed by the program at start-up.

#include "overlays/hud_panel.h"
#include "overlays/hud_settings.h"

namespace tavrine {

// The panel's window. Created on the first enabled frame, hidden while the HUD is off. Everything
// but present is called on the main thread; present on the poll thread.
class HudWindow {
public:
    virtual ~HudWindow() = default;
    virtual bool exists() = 0;
    // False when the window cannot be made (tried again next frame).
    virtual bool create() = 0;
    virtual int screen_width() = 0;
    virtual int screen_height() = 0;
    // Paints the panel, pushes it to the layered window and shows it without activating.
    virtual void present(const HudPanel& panel) = 0;
    virtual void hide() = 0;
    virtual void destroy() = 0;
};

// Installs the window (not owned); null leaves the HUD without one (it still polls).
void set_hud_window(HudWindow* window);

// The process-wide settings; main thread only (a poll takes a copy).
HudSettings& hud_settings();

// Start-up: the file's values over the defaults, clamped; the next enabled frame redraws.
void load_hud_settings();
// Writes "hud.cfg" whole; false when it could not be written (the old file stays).
bool save_hud_settings();

// F7: flips the HUD; switching it off hides the window and closes every sensor; saves.
void toggle_hud();
// Once per frame, right after the crosshair overlay, and on the frame loop's light passes while
// the window draws nothing. Hands the settings to the poll thread, which polls at the interval
// by itself: it reads the sensors, builds the panel and presents it. `dt` is not needed.
void update_hud_overlay(float dt);
// The HUD was switched off on the page: waits for a poll in flight, hides the panel and closes
// every sensor source.
void switch_hud_sources_off();
// Blocks until the poll asked for last has presented its panel (tests and the benchmark).
void wait_for_hud_poll();
// After a settings change that shows on the panel.
void request_hud_redraw();
// Exit: saves, destroys the window, closes the sensors.
void save_and_close_hud();

} // namespace tavrine
