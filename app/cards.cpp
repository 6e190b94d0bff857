// Preset cards, title tiles and stat cards.
#include "app/fonts.h"
#include "app/theme.h"
#include "app/widget_anim.h"
#include "app/widgets.h"
#include "engine/run_status.h"

#include <algorithm>

namespace tavrine {

using namespace palette;

bool preset_card(const char* name, const char* sub_label, bool active, float width) {
    ImGui::PushID(name);
    const ImVec2 p = ImGui::GetCursorScreenPos();
    const bool clicked = ImGui::InvisibleButton("##preset", ImVec2(width, 100));
    const bool hovered = ImGui::IsItemHovered();
    WidgetAnim& anim = widget_anim(ImGui::GetItemID());
    const float hover = animate(anim.hover, hovered ? 1.0f : 0.0f, 16);
    const float on = animate(anim.on, active ? 1.0f : 0.0f, 16);

    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const float grow = 1.2f * hover;
    const ImVec2 min(p.x - grow, p.y - grow);
    const ImVec2 max(p.x + width + grow, p.y + 100 + grow);
    draw_card(min, max, 22.0f, 0.98f, 0.1f + 0.2f * on);
    if (on > 0.04f) {
        draw_list->AddRect(min, max, color_with_alpha(kAccent, 0.35f + 0.45f * on), 22.0f, 0, 1.7f);
    }
    const UiFonts& fonts = ui_fonts();
    spaced_text(draw_list, ImVec2(p.x + 18, p.y + 16), 10.5f, rgba(kAccent, 216),
                active ? "Active" : "Profile", 1.1f);
    draw_list->AddText(font_or_current(fonts.font_title), 17.0f, ImVec2(p.x + 18, p.y + 36), rgba(kText, 255),
                       name);
    draw_list->AddText(font_or_current(fonts.font_small), 12.5f, ImVec2(p.x + 18, p.y + 66),
                       rgba(kMuted, 255), sub_label);
    ImGui::PopID();
    return clicked;
}

bool title_tile(const TitleTileText& title, bool selected, float width, bool& optimise_pressed) {
    optimise_pressed = false;
    ImGui::PushID(title.name);
    const ImVec2 p = ImGui::GetCursorScreenPos();
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const ImVec2 max(p.x + width, p.y + 92);
    if (selected) {
        draw_card(p, max, 20.0f, 1.0f, 0.22f);
        draw_list->AddRect(p, max, rgba(kAccent, 178), 20.0f, 0, 1.7f);
    } else {
        draw_card(p, max, 20.0f, 0.96f, 0.08f);
    }
    const UiFonts& fonts = ui_fonts();
    if (title.tag && *title.tag) {
        spaced_text(draw_list, ImVec2(p.x + 14, p.y + 12), 10.5f, rgba(kAccent, 209), title.tag, 1.1f);
    }
    ImFont* name_font = fonts.font_title ? fonts.font_title : font_or_current(fonts.font_label);
    draw_list->AddText(name_font, 15.5f, ImVec2(p.x + 14, p.y + 28), rgba(kText, 255), title.name);
    if (title.blurb) {
        fitted_text(draw_list, fonts.font_small, 11.5f, ImVec2(p.x + 14, p.y + 50), width - 28,
                    rgba(kMuted, 255), title.blurb);
    }

    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(ImGui::GetStyle().ItemSpacing.x, 2));
    const bool picked = ImGui::InvisibleButton("##pick", ImVec2(width, 60));
    ImGui::PopStyleVar();

    const RunStatus& status = run_status();
    const bool deploying = status.deploy_in_progress.load();
    ImGui::SetCursorScreenPos(ImVec2(p.x + 12, p.y + 62));
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(ImGui::GetStyle().ItemSpacing.x, 16));
    const bool pressed = ghost_button(deploying ? "Running..." : "Optimise", ImVec2(width - 24, 22));
    ImGui::PopStyleVar();
    optimise_pressed = pressed && !deploying && !status.run_in_progress.load();
    ImGui::PopID();
    return picked;
}

void stat_card(const char* caption, const char* value, const char* footnote, float width, float fraction) {
    const ImVec2 p = ImGui::GetCursorScreenPos();
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    draw_card(p, ImVec2(p.x + width, p.y + 78), 18.0f, 0.96f, 0.08f);
    const UiFonts& fonts = ui_fonts();
    spaced_text(draw_list, ImVec2(p.x + 14, p.y + 12), 10.5f, rgba(kMuted, 255), caption, 1.1f);
    if (fonts.font_hero) {
        draw_list->AddText(fonts.font_hero, 24.0f, ImVec2(p.x + 14, p.y + 28), rgba(kText, 255), value);
    } else {
        draw_list->AddText(font_or_current(fonts.font_label), 20.0f, ImVec2(p.x + 14, p.y + 30),
                           rgba(kText, 255), value);
    }
    if (footnote) {
        draw_list->AddText(font_or_current(fonts.font_small), 11.5f, ImVec2(p.x + 14, p.y + 56),
                           rgba(kMuted, 255), footnote);
    }
    draw_list->AddRectFilled(ImVec2(p.x + 14, p.y + 69), ImVec2(p.x + width - 14, p.y + 72), rgba(kWhite, 15),
                             2.0f);
    if (fraction >= 0.0f) {
        draw_list->AddRectFilled(ImVec2(p.x + 14, p.y + 69),
                                 ImVec2(p.x + 14 + std::clamp(fraction, 0.0f, 1.0f) * (width - 28), p.y + 72),
                                 rgba(kAccent, 255), 2.0f);
    }
    ImGui::Dummy(ImVec2(width, 78));
}

} // namespace tavrine
