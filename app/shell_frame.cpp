#include "app/shell_frame.h"

#include "app/animation.h"
#include "app/shell_links.h"

#include <algorithm>
#include <cmath>

namespace tavrine {

void advance_screen(ShellState& state, float dt, const ShellLinks& links) {
    if (state.screen == Screen::FirstLaunch && links.advance_first_launch) {
        links.advance_first_launch(state, dt);
    }
    if (state.screen != Screen::Splash) {
        return;
    }
    // One late frame (the first after the fonts load, or a stall on a busy machine) must not
    // swallow the splash whole: it advances by a tenth of a second at most.
    const float step = std::min(dt, 0.1f);
    state.splash_progress = std::clamp(state.splash_progress + step / kSplashSeconds, 0.0f, 1.0f);
    if (state.splash_progress < 1.0f) {
        return;
    }
    if (links.is_first_launch && links.is_first_launch()) {
        if (links.detect_once) {
            links.detect_once();
        }
        state.screen = Screen::FirstLaunch;
    } else {
        state.screen = Screen::Main;
    }
}

void advance_shared_values(ShellState& state, float dt, float t, bool run_in_progress) {
    const bool splash = state.screen == Screen::Splash;
    state.window_fade =
        approach(state.window_fade, splash ? ease_out_cubic(state.splash_progress) : 1.0f, 12, dt);
    state.content_alpha = approach(state.content_alpha, splash ? 0.0f : 1.0f, 14, dt);
    state.content_slide = approach(state.content_slide, splash ? 16.0f : 0.0f, 16, dt);
    if (run_in_progress) {
        state.cta_glow = (std::sin(3.2f * t) * 0.5f + 0.5f) * 0.55f + 0.45f;
    } else {
        state.cta_glow = approach(state.cta_glow, 0.0f, 10, dt);
    }
    state.page_reveal = approach(state.page_reveal, 1.0f, 18, dt);
}

bool frame_is_idle(const ShellState& state, const IdleFrame& frame) {
    return state.screen == Screen::Main && state.content_alpha >= 0.99f && state.page_reveal >= 0.99f &&
           !frame.run_in_progress && !state.animating && !frame.crosshair_needs_animation &&
           !frame.result_veil_shown && !state.dragging && !frame.item_hovered;
}

int idle_sleep_ms(ShellState& state, const IdleInputs& inputs) {
    if (!state.deep_idle || state.screen != Screen::Main || inputs.active) {
        return 0;
    }
    if (inputs.mouse_down || inputs.item_active || inputs.buttons_held) {
        state.idle_seconds = 0.0f;
        return 0;
    }
    state.idle_seconds += inputs.dt;
    if (state.eco_renderer) {
        if (state.idle_seconds > 2.0f) {
            return 33;
        }
        if (state.idle_seconds > 0.6f) {
            return 16;
        }
        return 0;
    }
    return state.idle_seconds > 1.5f ? 8 : 0;
}

HotKeyActions hot_key_actions(const HotKeyPresses& pressed, bool own_window_in_front) {
    return {pressed.delete_key && own_window_in_front, pressed.f8, pressed.f7};
}

} // namespace tavrine
