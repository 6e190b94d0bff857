// The main screen's frame: side panel, brand block, navigation and the page panel. The pages
// themselves draw into the panel (app/pages/).
#include "app/fonts.h"
#include "app/pages/pages.h"
#include "app/screens.h"
#include "app/theme.h"
#include "app/widgets.h"
#include "engine/run_status.h"
#include "overlays/crosshair.h"
#include "overlays/hud.h"

#include <algorithm>
#include <array>

namespace tavrine {

using namespace palette;

namespace {

void select_page(ShellState& state, int page) {
    if (page != state.page) {
        state.page = page;
        // The overlay and the progress display go away; a running worker is not stopped.
        hide_run_result();
    }
}

// The group's navigation items, in table order.
void nav_list(ShellState& state, NavGroup group, float width) {
    for (const PageInfo& page : page_table()) {
        if (page.group == group &&
            nav_item(page.page, page.title, page.icon, state.page == page.page, width)) {
            select_page(state, page.page);
        }
    }
}

void page_header(int page) {
    const PageInfo& info = page_info(page);
    if (!info.kicker) {
        return;
    }
    std::array<char, 32> pill{};
    section_header(info.kicker, info.title, info.pill ? info.pill(pill, info.path) : nullptr);
}

} // namespace

void draw_main_screen(ShellState& state, ImVec2 o) {
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const float a = std::clamp(state.content_alpha, 0.0f, 1.0f);
    const UiFonts& fonts = ui_fonts();

    draw_list->AddRectFilled(o, ImVec2(o.x + 212, o.y + kWindowHeight), color_with_alpha(kSide, 0.92f * a),
                             26.0f, ImDrawFlags_RoundCornersLeft);
    draw_list->AddLine(ImVec2(o.x + 212, o.y + 12), ImVec2(o.x + 212, o.y + kWindowHeight - 12),
                       color_with_alpha(kWhite, 0.07f * a));

    draw_logo_mark(ImVec2(o.x + 28, o.y + 28), 0.55f, a);
    draw_list->AddText(font_or_current(fonts.font_title), 14, ImVec2(o.x + 48, o.y + 16),
                       color_with_alpha(kText, a), "Tavrine");
    draw_list->AddText(font_or_current(fonts.font_small), 12, ImVec2(o.x + 48, o.y + 34),
                       color_with_alpha(kMuted, a), "Optimiser");

    ImGui::SetCursorScreenPos(ImVec2(o.x + 10, o.y + 58));
    // 1.90 replaced BeginChild's `bool border` with child flags; None is the old `false`.
    if (ImGui::BeginChild("##side", ImVec2(192, 524), ImGuiChildFlags_None)) {
        const float width = ImGui::GetContentRegionAvail().x;
        nav_section_label("Tune", width);
        nav_list(state, NavGroup::Tune, width);
        ImGui::Dummy(ImVec2(width, 10 - ImGui::GetStyle().ItemSpacing.y));
        nav_section_label("Studio", width);
        nav_list(state, NavGroup::Studio, width);
    }
    ImGui::EndChild();

    draw_list->AddLine(ImVec2(o.x + 18, o.y + 580), ImVec2(o.x + 194, o.y + 580),
                       color_with_alpha(kWhite, 0.07f * a));
    ImGui::SetCursorScreenPos(ImVec2(o.x + 10, o.y + 586));
    nav_list(state, NavGroup::Foot, 192);

    if (state.page != state.shown_page) {
        state.shown_page = state.page;
        state.page_reveal = 0.0f;
    }

    const float v = std::clamp(state.page_reveal, 0.0f, 1.0f);
    const float s = v * v * (3 - 2 * v);
    ImGui::SetCursorScreenPos(ImVec2(o.x + 240 + 8 * (1 - s), o.y + 24 + 0.2f * state.content_slide));
    ImGui::PushStyleVar(ImGuiStyleVar_Alpha, state.page_reveal * a);
    if (ImGui::BeginChild("##panel", ImVec2(960, page_has_dock(state.shown_page) ? 532.0f : 624.0f),
                          ImGuiChildFlags_None)) {
        page_header(state.shown_page);
        draw_page_content(state, state.shown_page);
    }
    ImGui::EndChild();
    ImGui::PopStyleVar();

    if (page_has_dock(state.shown_page)) {
        ImGui::SetCursorScreenPos(ImVec2(o.x + 240, o.y + 594));
        if (ImGui::BeginChild("##dock", ImVec2(960, 92), ImGuiChildFlags_None,
                              ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse)) {
            draw_dock(state, page_path(state.shown_page));
        }
        ImGui::EndChild();
    } else {
        draw_list->AddText(font_or_current(fonts.font_small), 11.5f, ImVec2(o.x + 240, o.y + 682),
                           color_with_alpha(kMuted, 0.75f),
                           footer_hint(hud_settings().enabled, crosshair_settings().enabled));
    }
}

} // namespace tavrine
