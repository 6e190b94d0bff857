#include "app_headless.h"

#include "app/screens.h"
#include "app/shell_links.h"
#include "app/shell_state.h"
#include "app/widget_anim.h"
#include "app/widgets.h"
#include "engine/run_status.h"

#include <gtest/gtest.h>
#include <imgui_internal.h>

#include <cmath>
#include <cstring>
#include <string>

namespace tavrine {
namespace {

using test::HeadlessUi;

constexpr float kDt = 1.0f / 60.0f;

ImGuiID row_id(const char* label) {
    ImGui::PushID(label);
    const ImGuiID id = ImGui::GetID("##card");
    ImGui::PopID();
    return id;
}

bool tooltip_shown() {
    ImGuiWindow* tooltip = ImGui::FindWindowByName("##Tooltip_00");
    return tooltip && tooltip->Active;
}

// A click is a press on one frame and a release on the next, over the same spot. ImGui only
// takes a press for an item that was already hovered in the frame before, hence two frames.
template <typename Draw> void click_at(HeadlessUi& ui, float x, float y, Draw&& draw) {
    ui.move_mouse(x, y);
    ui.frame(draw);
    ui.frame(draw);
    ui.press();
    ui.frame(draw);
    ui.release();
    ui.frame(draw);
}

TEST(ModuleRow, a_click_flips_the_flag_and_the_switch_eases_toward_it_at_rate_18) {
    HeadlessUi ui(kDt);
    bool flag = false;
    int clicks = 0;
    ImGuiID id = 0;
    auto draw = [&] {
        ImGui::SetCursorScreenPos(ImVec2(100, 100));
        id = row_id("Mouse accel");
        clicks += module_row("Mouse accel", "1:1 cursor feel", flag, "Disables acceleration.", 400) ? 1 : 0;
    };
    click_at(ui, 200, 130, draw);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(flag);
    // The flag flipped during this frame, so the switch has taken exactly one step toward on.
    EXPECT_FLOAT_EQ(widget_anim(id).on, 1.0f - std::exp(-kDt * 18.0f));
    EXPECT_TRUE(shell_state().animating);

    ui.frame(draw);
    EXPECT_FLOAT_EQ(widget_anim(id).on, 1.0f - std::exp(-2 * kDt * 18.0f));

    click_at(ui, 200, 130, draw);
    EXPECT_FALSE(flag);
    EXPECT_EQ(clicks, 2);
}

TEST(ModuleRow, a_flag_changed_from_outside_animates_the_switch_too) {
    HeadlessUi ui(kDt);
    bool flag = false;
    ImGuiID id = 0;
    auto draw = [&] {
        id = row_id("Preset row");
        module_row("Preset row", "sub", flag, nullptr, 400);
    };
    ui.move_mouse(-100, -100);
    ui.frame(draw);
    const float start = widget_anim(id).on;
    EXPECT_EQ(start, 0.0f);
    flag = true; // as a preset would
    ui.frame(draw);
    EXPECT_FLOAT_EQ(widget_anim(id).on, 1.0f - std::exp(-kDt * 18.0f));
    for (int i = 0; i < 120; ++i) {
        shell_state().animating = false;
        ui.frame(draw);
    }
    EXPECT_EQ(widget_anim(id).on, 1.0f);
    EXPECT_FALSE(shell_state().animating); // settled: the idle pacing may sleep
}

TEST(ModuleRow, shows_a_tooltip_only_when_given_a_description) {
    HeadlessUi ui(kDt);
    bool flag = false;
    ui.move_mouse(100, 30);
    for (int i = 0; i < 3; ++i) {
        ui.frame([&] { module_row("Described", "sub", flag, "What it does.", 400); });
    }
    EXPECT_TRUE(tooltip_shown());
    for (int i = 0; i < 3; ++i) {
        ui.frame([&] { module_row("Plain", "sub", flag, nullptr, 400); });
    }
    EXPECT_FALSE(tooltip_shown());
}

TEST(ToggleRow, a_click_flips_its_flag) {
    HeadlessUi ui(kDt);
    bool flag = true;
    click_at(ui, 50, 15, [&] { toggle_row("Deep idle", flag, nullptr); });
    EXPECT_FALSE(flag);
}

TEST(NavItem, reports_a_click_and_holds_the_selection_highlight) {
    HeadlessUi ui(kDt);
    int clicked = 0;
    auto draw = [&] {
        clicked += nav_item(3, "Netcode", 3, true, 192) ? 1 : 0;
    };
    click_at(ui, 50, 20, draw);
    EXPECT_EQ(clicked, 1);
    for (int i = 0; i < 120; ++i) {
        ui.frame(draw);
    }
    EXPECT_EQ(nav_anim(3).on, 1.0f);
}

TEST(TitleTile, optimise_is_refused_while_a_run_is_in_progress) {
    HeadlessUi ui(kDt);
    bool optimise = false;
    bool seen = false;
    const TitleTileText title{"Valorant", "Tactical", "Riot's shooter."};
    auto draw = [&] {
        title_tile(title, false, 300, optimise);
        seen = seen || optimise;
    };
    run_status().run_in_progress.store(true);
    click_at(ui, 150, 73, draw); // the ghost button sits at y 62..84
    EXPECT_FALSE(seen);
    run_status().run_in_progress.store(false);
    click_at(ui, 150, 73, draw);
    EXPECT_TRUE(seen);
}

TEST(FittedText, leaves_a_text_that_fits_unchanged) {
    HeadlessUi ui(kDt);
    char buffer[160];
    const char* text = "Short blurb";
    EXPECT_EQ(fit_text(ui_fonts().font_small, 11.5f, 300, text, buffer, sizeof buffer), text);
}

TEST(FittedText, cuts_a_long_sentence_after_a_whole_word_and_ends_in_an_ellipsis) {
    HeadlessUi ui(kDt);
    char buffer[160];
    const std::string text =
        "Competitive tactical shooter with strict tick rate and a demanding netcode path";
    ImFont* font = ui_fonts().font_small;
    const std::string fitted = fit_text(font, 11.5f, 150, text.c_str(), buffer, sizeof buffer);
    ASSERT_GE(fitted.size(), 4u);
    EXPECT_EQ(fitted.substr(fitted.size() - 3), "...");
    const std::string kept = fitted.substr(0, fitted.size() - 3);
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(text.compare(0, kept.size(), kept), 0);
    EXPECT_NE(kept.back(), ' ');
    EXPECT_EQ(text[kept.size()], ' '); // the cut falls between words
    EXPECT_LE(text_width(font, 11.5f, fitted.c_str()), 150.0f);
}

TEST(FittedText, keeps_at_most_156_bytes_before_the_ellipsis) {
    HeadlessUi ui(kDt);
    char buffer[160];
    std::string text;
    for (int i = 0; i < 80; ++i) {
        text += "word ";
    }
    const std::string long_text = text + text;
    const std::string fitted =
        fit_text(ui_fonts().font_small, 11.5f, 2000, long_text.c_str(), buffer, sizeof buffer);
    EXPECT_LE(fitted.size(), 159u);
    EXPECT_EQ(fitted.substr(fitted.size() - 3), "...");
}

TEST(Theme, window_background_alpha_follows_surface_opacity) {
    ImGuiStyle style;
    apply_theme(style, 70);
    EXPECT_FLOAT_EQ(style.Colors[ImGuiCol_WindowBg].w, 178.0f / 255.0f);
    apply_theme(style, 100);
    EXPECT_FLOAT_EQ(style.Colors[ImGuiCol_WindowBg].w, 1.0f);
    EXPECT_FLOAT_EQ(style.WindowRounding, 26.0f);
}

TEST(Chrome, the_drag_strip_reports_begin_hold_and_end) {
    HeadlessUi ui(kDt);
    DragPhase phase = DragPhase::None;
    bool dragging = false;
    auto draw = [&] {
        phase = drag_strip(dragging);
        dragging = phase == DragPhase::Began || phase == DragPhase::Held;
    };
    ui.move_mouse(300, 20);
    ui.frame(draw);
    ui.frame(draw);
    EXPECT_EQ(phase, DragPhase::None);
    ui.press();
    ui.frame(draw);
    EXPECT_EQ(phase, DragPhase::Began);
    ui.move_mouse(400, 60);
    ui.frame(draw);
    EXPECT_EQ(phase, DragPhase::Held);
    ui.release();
    ui.frame(draw);
    EXPECT_EQ(phase, DragPhase::Ended);
    ui.frame(draw);
    EXPECT_EQ(phase, DragPhase::None);
}

TEST(Chrome, the_close_button_asks_to_quit_and_minimise_to_minimise) {
    HeadlessUi ui(kDt);
    TitleAction last = TitleAction::None;
    auto draw = [&] {
        if (const TitleAction action = title_buttons(ImVec2(0, 0)); action != TitleAction::None) {
            last = action;
        }
    };
    click_at(ui, 1193, 24, draw);
    EXPECT_EQ(last, TitleAction::Close);
    click_at(ui, 1163, 24, draw);
    EXPECT_EQ(last, TitleAction::Minimise);
}

TEST(RootWindow, the_splash_hands_over_to_the_main_screen_and_navigation_switches_pages) {
    HeadlessUi ui(kDt);
    ShellState& state = shell_state();
    state = ShellState{};
    const ShellLinks links{};
    ui.move_mouse(-50, -50);
    int frames = 0;
    while (state.screen == Screen::Splash && frames < 1000) {
        ui.bare_frame([&] { shell_frame_body(state, links, kDt, frames * kDt); });
        ++frames;
    }
    EXPECT_EQ(state.screen, Screen::Main);
    EXPECT_GE(frames * kDt, 1.42f - 1e-3f);
    // "Latency" is the third Tune item: section label (18 + 8) then two 48-pixel nav rows.
    const float latency_y = 58 + 26 + 2 * 48 + 20;
    ui.move_mouse(60, latency_y);
    ui.bare_frame([&] { shell_frame_body(state, links, kDt, 0); });
    ui.bare_frame([&] { shell_frame_body(state, links, kDt, 0); });
    ui.press();
    ui.bare_frame([&] { shell_frame_body(state, links, kDt, 0); });
    ui.release();
    ui.bare_frame([&] { shell_frame_body(state, links, kDt, 0); });
    EXPECT_EQ(state.page, 1);
    EXPECT_EQ(state.shown_page, 1);
    EXPECT_LT(state.page_reveal, 0.5f);
    state = ShellState{};
}

} // namespace
} // namespace tavrine
