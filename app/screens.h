#pragma once
// What the root window holds: the chrome (background, drag strip, title buttons) and the
// screens. Drawing only; the platform half acts on what the chrome reports.

#include "app/shell_state.h"

#include <imgui.h>

namespace tavrine {

struct ShellLinks;

enum class DragPhase { None, Began, Held, Ended };
enum class TitleAction { None, Minimise, Close };

struct ChromeInput {
    DragPhase drag = DragPhase::None;
    TitleAction title = TitleAction::None;
};

// The whole "##loader" window for this frame: background, drag strip, title buttons, the
// current screen, then the completion overlay when a run has finished.
ChromeInput draw_root_window(ShellState& state, const ShellLinks& links);

// Frame loop steps between the hot keys and ImGui::Render: overlay updates, transitions and
// animation values, then the root window. Call between ImGui::NewFrame and ImGui::Render.
ChromeInput shell_frame_body(ShellState& state, const ShellLinks& links, float dt, float t);

DragPhase drag_strip(bool dragging);
TitleAction title_buttons(ImVec2 origin);
void draw_splash(const ShellState& state, ImVec2 origin);
// The main screen as far as it is built: side panel, brand block, navigation, page header.
void draw_main_screen(ShellState& state, ImVec2 origin);

} // namespace tavrine
