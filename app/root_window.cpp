#include "app/screens.h"
#include "app/shell_frame.h"
#include "app/shell_links.h"
#include "app/widgets.h"
#include "engine/run_status.h"

namespace tavrine {

ChromeInput draw_root_window(ShellState& state, const ShellLinks& links) {
    ChromeInput input;
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(kWindowWidth, kWindowHeight));
    // NoMove as well: without a title bar ImGui would still let a drag on empty space move the
    // root window inside the native one for a frame.
    constexpr ImGuiWindowFlags kFlags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                        ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoCollapse |
                                        ImGuiWindowFlags_NoBackground |
                                        ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_NoMove;
    ImGui::Begin("##loader", nullptr, kFlags);
    const ImVec2 origin = ImGui::GetWindowPos();
    draw_window_background(origin, state.window_fade);
    input.drag = drag_strip(state.dragging);
    input.title = title_buttons(origin);
    switch (state.screen) {
    case Screen::Splash:
        draw_splash(state, origin);
        break;
    case Screen::FirstLaunch:
        if (links.draw_first_launch) {
            links.draw_first_launch(state);
        }
        break;
    case Screen::Main:
        draw_main_screen(state, origin);
        break;
    }
    if (run_status().result_veil_shown.load() && links.draw_completion_overlay) {
        links.draw_completion_overlay();
    }
    ImGui::End();
    return input;
}

ChromeInput shell_frame_body(ShellState& state, const ShellLinks& links, float dt, float t) {
    if (links.update_crosshair_overlay) {
        links.update_crosshair_overlay(dt);
    }
    if (links.update_hud_overlay) {
        links.update_hud_overlay(dt);
    }
    advance_screen(state, dt, links);
    advance_shared_values(state, dt, t, run_status().run_in_progress.load());
    state.animating = false; // the widgets drawn below set it again while they still move
    return draw_root_window(state, links);
}

} // namespace tavrine
