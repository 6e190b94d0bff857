// The run bar under a path page: this path's progress or armed count, and its run button.
#include "app/fonts.h"
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "app/theme.h"
#include "app/widgets.h"
#include "engine/path_table.h"
#include "engine/run_status.h"
#include "runs/pipeline.h"

#include <cstdio>

namespace tavrine {

using namespace palette;

DockView dock_view(PathKind path, float cta_glow) {
    const RunStatus& status = run_status();
    DockView view;
    view.run = visible_run(path);
    char text[128];
    if (view.run) {
        std::snprintf(text, sizeof text, "%s  \xC2\xB7  %d / %d", view.run->label, view.run->completed,
                      view.run->total);
    } else {
        std::snprintf(text, sizeof text, "%d armed", armed_count(path));
    }
    view.status_line = text;
    const bool running = status.run_in_progress.load();
    const bool ours = status.last_path.load() == path;
    view.button = !running ? path_facts(path).run_caption : ours ? "Optimising..." : "Busy...";
    view.glow = running && ours ? cta_glow : 0.4f;
    view.button_works = !running;
    return view;
}

void draw_dock(const ShellState& state, PathKind path) {
    const ImVec2 o = ImGui::GetWindowPos();
    const float width = ImGui::GetWindowSize().x;
    draw_card(o, ImVec2(o.x + width, o.y + ImGui::GetWindowSize().y), 20.0f, 0.96f, 0.08f);

    const DockView view = dock_view(path, state.cta_glow);
    ImFont* small = ui_fonts().font_small;
    if (view.run) {
        ImGui::SetCursorScreenPos(ImVec2(o.x + 16, o.y + 6));
        progress_bar(static_cast<float>(view.run->completed) / static_cast<float>(view.run->total),
                     width - 32);
        text_at(ImVec2(o.x + 16, o.y + 18), small, 11.0f, rgba(kMuted, 255), view.status_line.c_str());
        finish_if_complete(*view.run);
    } else {
        text_at(ImVec2(o.x + 16, o.y + 12), small, 11.0f, rgba(kMuted, 255), view.status_line.c_str());
    }
    ImGui::SetCursorScreenPos(ImVec2(o.x + 16, o.y + 34));
    if (action_button(view.button, ImVec2(width - 32, 38), view.glow) && view.button_works) {
        build_and_start_run(path);
    }
}

const char* footer_hint(bool hud_enabled, bool crosshair_enabled) {
    if (hud_enabled) {
        return "F7 HUD on";
    }
    if (crosshair_enabled) {
        return "F8 overlay on";
    }
    return "F7 HUD  \xC2\xB7  F8 crosshair";
}

} // namespace tavrine
