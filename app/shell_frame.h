#pragma once
// The frame loop's decisions that need no window system: screen transitions, the shared
// animation values and idle pacing. The Win32 loop feeds them what it read from the system.

#include "app/shell_state.h"

namespace tavrine {

struct ShellLinks;

// Splash timeline and the switch to the first-launch or main screen.
void advance_screen(ShellState& state, float dt, const ShellLinks& links);
// window_fade, content_alpha, content_slide, cta_glow and page_reveal; `t` is ImGui's running time.
void advance_shared_values(ShellState& state, float dt, float t, bool run_in_progress);

struct IdleFrame {
    bool run_in_progress = false;
    bool result_veil_shown = false;
    bool crosshair_needs_animation = false;
    bool item_hovered = false; // this frame or the previous one
};
// True when nothing moves and nothing is under the mouse on the settled main screen.
bool frame_is_idle(const ShellState& state, const IdleFrame& frame);

struct IdleInputs {
    bool active = true;
    bool mouse_down = false;   // any of ImGui's mouse buttons
    bool item_active = false;  // an ImGui item is held
    bool buttons_held = false; // the system reports the left or right button down
    float dt = 0.0f;
};
// How long the frame should sleep, in milliseconds (0: not at all). Keeps idle_seconds.
int idle_sleep_ms(ShellState& state, const IdleInputs& inputs);

// The hot keys pressed since the last poll, and what they do this frame.
struct HotKeyPresses {
    bool delete_key = false;
    bool f8 = false;
    bool f7 = false;
};
struct HotKeyActions {
    bool quit = false;
    bool toggle_crosshair = false;
    bool toggle_hud = false;
};
// F8 and F7 work from inside a game, so they act wherever the keyboard focus is; Delete quits
// only while the program's own window is in front (the key is polled system-wide, and Delete
// typed in a browser or a chat box must not end the program).
HotKeyActions hot_key_actions(const HotKeyPresses& pressed, bool own_window_in_front);

} // namespace tavrine
