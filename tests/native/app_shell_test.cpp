#include "app/shell_frame.h"
#include "app/shell_links.h"

#include <gtest/gtest.h>

namespace tavrine {
namespace {

// Runs the splash at a fixed frame rate; returns the frame time spent before the screen left it.
float splash_duration(float fps, const ShellLinks& links, ShellState& state) {
    const float dt = 1.0f / fps;
    float elapsed = 0.0f;
    for (int frame = 0; frame < 1000000 && state.screen == Screen::Splash; ++frame) {
        advance_screen(state, dt, links);
        elapsed += dt;
    }
    return elapsed;
}

TEST(Splash, lasts_1_42_seconds_of_frame_time_at_any_frame_rate) {
    for (float fps : {24.0f, 60.0f, 144.0f, 1000.0f, 5000.0f}) {
        ShellState state;
        const float elapsed = splash_duration(fps, ShellLinks{}, state);
        EXPECT_GE(elapsed, 1.42f - 1e-3f) << fps << " fps";
        EXPECT_LE(elapsed, 1.42f + 1.0f / fps + 1e-3f) << fps << " fps";
        EXPECT_EQ(state.screen, Screen::Main);
        EXPECT_EQ(state.splash_progress, 1.0f);
    }
}

TEST(Splash, a_late_first_frame_does_not_swallow_it) {
    ShellState state;
    advance_screen(state, 3.0f, ShellLinks{}); // the fonts took three seconds to load
    EXPECT_EQ(state.screen, Screen::Splash);
    EXPECT_LT(state.splash_progress, 0.1f);
}

int g_detections = 0;

TEST(Splash, goes_to_first_launch_with_one_detection_when_no_vendor_is_remembered) {
    ShellLinks links{};
    links.is_first_launch = [] {
        return true;
    };
    links.detect_once = [] {
        ++g_detections;
    };
    g_detections = 0;
    ShellState state;
    splash_duration(60.0f, links, state);
    EXPECT_EQ(state.screen, Screen::FirstLaunch);
    EXPECT_EQ(g_detections, 1);
    advance_screen(state, 1.0f, links); // nothing more happens outside the splash
    EXPECT_EQ(g_detections, 1);
}

TEST(SharedValues, fade_in_during_the_splash_and_show_the_content_after) {
    ShellState state;
    state.splash_progress = 1.0f;
    for (int i = 0; i < 300; ++i) {
        advance_shared_values(state, 1.0f / 60.0f, i / 60.0f, false);
    }
    EXPECT_EQ(state.window_fade, 1.0f);
    EXPECT_EQ(state.content_alpha, 0.0f);
    EXPECT_EQ(state.content_slide, 16.0f);

    state.screen = Screen::Main;
    for (int i = 0; i < 300; ++i) {
        advance_shared_values(state, 1.0f / 60.0f, i / 60.0f, false);
    }
    EXPECT_EQ(state.content_alpha, 1.0f);
    EXPECT_EQ(state.content_slide, 0.0f);
    EXPECT_EQ(state.page_reveal, 1.0f);
}

TEST(SharedValues, action_glow_pulses_while_a_run_is_in_progress_and_settles_after) {
    ShellState state;
    state.screen = Screen::Main;
    advance_shared_values(state, 0.016f, 0.0f, true);
    EXPECT_FLOAT_EQ(state.cta_glow, 0.5f * 0.55f + 0.45f);
    for (int i = 0; i < 600; ++i) {
        advance_shared_values(state, 0.016f, 1.0f, false);
    }
    EXPECT_EQ(state.cta_glow, 0.0f);
}

ShellState idle_main_screen(bool eco) {
    ShellState state;
    state.screen = Screen::Main;
    state.content_alpha = 1.0f;
    state.page_reveal = 1.0f;
    state.deep_idle = true;
    state.eco_renderer = eco;
    return state;
}

IdleInputs idle_frame(float dt) {
    IdleInputs inputs;
    inputs.active = false;
    inputs.dt = dt;
    return inputs;
}

// Runs `frames` idle frames of 1/8 s (exact in binary, so the thresholds are hit exactly)
// and returns the last frame's sleep.
constexpr float kEighth = 0.125f;
int sleep_after(ShellState& state, int frames) {
    int ms = 0;
    for (int i = 0; i < frames; ++i) {
        ms = idle_sleep_ms(state, idle_frame(kEighth));
    }
    return ms;
}

TEST(IdlePacing, deep_idle_alone_sleeps_8_ms_after_one_and_a_half_seconds) {
    ShellState state = idle_main_screen(false);
    EXPECT_EQ(sleep_after(state, 12), 0); // exactly 1.5 s: the comparison is strict
    EXPECT_EQ(sleep_after(state, 1), 8);
}

TEST(IdlePacing, eco_renderer_sleeps_16_after_0_6_and_33_after_2_seconds) {
    ShellState state = idle_main_screen(true);
    EXPECT_EQ(sleep_after(state, 4), 0);   // 0.5 s
    EXPECT_EQ(sleep_after(state, 1), 16);  // 0.625 s
    EXPECT_EQ(sleep_after(state, 11), 16); // exactly 2.0 s
    EXPECT_EQ(sleep_after(state, 1), 33);
}

TEST(IdlePacing, never_sleeps_with_deep_idle_off_or_off_the_main_screen) {
    ShellState off = idle_main_screen(true);
    off.deep_idle = false;
    EXPECT_EQ(sleep_after(off, 40), 0);
    EXPECT_EQ(off.idle_seconds, 0.0f);

    ShellState splash = idle_main_screen(true);
    splash.screen = Screen::Splash;
    EXPECT_EQ(sleep_after(splash, 40), 0);
    EXPECT_EQ(splash.idle_seconds, 0.0f);
}

TEST(IdlePacing, a_mouse_press_resets_the_clock_while_a_hover_only_stops_it) {
    ShellState state = idle_main_screen(false);
    sleep_after(state, 8);
    const float before = state.idle_seconds;

    IdleInputs hovering = idle_frame(kEighth);
    hovering.active = true; // an item under the mouse makes the frame active
    EXPECT_EQ(idle_sleep_ms(state, hovering), 0);
    EXPECT_EQ(state.idle_seconds, before);

    IdleInputs pressed = idle_frame(kEighth);
    pressed.buttons_held = true;
    EXPECT_EQ(idle_sleep_ms(state, pressed), 0);
    EXPECT_EQ(state.idle_seconds, 0.0f);

    IdleInputs item = idle_frame(kEighth);
    sleep_after(state, 8);
    item.item_active = true;
    idle_sleep_ms(state, item);
    EXPECT_EQ(state.idle_seconds, 0.0f);
}

TEST(IdlePacing, a_frame_is_idle_only_when_everything_has_settled) {
    const ShellState settled = idle_main_screen(false);
    EXPECT_TRUE(frame_is_idle(settled, IdleFrame{}));

    auto busy = [&](auto change, IdleFrame frame = {}) {
        ShellState state = settled;
        change(state);
        return !frame_is_idle(state, frame);
    };
    EXPECT_TRUE(busy([](ShellState& s) { s.animating = true; }));
    EXPECT_TRUE(busy([](ShellState& s) { s.dragging = true; }));
    EXPECT_TRUE(busy([](ShellState& s) { s.page_reveal = 0.98f; }));
    EXPECT_TRUE(busy([](ShellState& s) { s.content_alpha = 0.5f; }));
    EXPECT_TRUE(busy([](ShellState& s) { s.screen = Screen::FirstLaunch; }));
    auto unchanged = [](ShellState&) {
    };
    EXPECT_TRUE(busy(unchanged, IdleFrame{true, false, false, false}));
    EXPECT_TRUE(busy(unchanged, IdleFrame{false, true, false, false}));
    EXPECT_TRUE(busy(unchanged, IdleFrame{false, false, true, false}));
    EXPECT_TRUE(busy(unchanged, IdleFrame{false, false, false, true}));
}

TEST(HotKeys, delete_quits_only_with_the_window_in_front_while_f7_and_f8_work_anywhere) {
    const HotKeyPresses all{true, true, true};
    const HotKeyActions elsewhere = hot_key_actions(all, false);
    EXPECT_FALSE(elsewhere.quit);
    EXPECT_TRUE(elsewhere.toggle_crosshair);
    EXPECT_TRUE(elsewhere.toggle_hud);
    EXPECT_TRUE(hot_key_actions(all, true).quit);
    EXPECT_FALSE(hot_key_actions({}, true).quit);
}

} // namespace
} // namespace tavrine
