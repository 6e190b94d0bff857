#pragma once
// What the frame loop calls in the other rooms (overlays, first launch, pages). One table, so
// wiring a new room in is one row here rather than a change to the loop; a null entry means
// that room is not built into this program yet and the loop skips it.

namespace tavrine {

struct ShellState;

struct ShellLinks {
    // At start-up, after the preset: crosshair and HUD settings, remembered GPU vendor,
    // whether the Start-with-Windows entry exists.
    void (*load_settings)();
    // Shutdown steps 1-3: save and destroy the overlays, close the sensors.
    void (*save_and_close_overlays)();
    void (*update_crosshair_overlay)(float dt);
    void (*update_hud_overlay)(float dt);
    void (*toggle_crosshair_overlay)();
    void (*toggle_hud)();
    bool (*crosshair_needs_animation)();
    bool (*is_first_launch)();
    void (*detect_once)();
    // While the first-launch screen is shown: its timers before drawing, then its content.
    void (*advance_first_launch)(ShellState& state, float dt);
    void (*draw_first_launch)(ShellState& state);
    void (*advance_overview_sampler)(float dt);
    void (*draw_completion_overlay)();
};

const ShellLinks& shell_links();

} // namespace tavrine
