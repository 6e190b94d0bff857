// Navigation items, section labels and the page header.
#include "app/fonts.h"
#include "app/theme.h"
#include "app/widget_anim.h"
#include "app/widgets.h"

#include <algorithm>

namespace tavrine {

using namespace palette;

namespace {

// Reserves height `advance` at the cursor with no extra item spacing below it.
void advance_cursor(float width, float advance) {
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(ImGui::GetStyle().ItemSpacing.x, 0));
    ImGui::Dummy(ImVec2(width, advance));
    ImGui::PopStyleVar();
}

} // namespace

bool nav_item(int slot, const char* label, int icon, bool selected, float width) {
    ImGui::PushID(slot);
    const ImVec2 p = ImGui::GetCursorScreenPos();
    const bool clicked = ImGui::InvisibleButton("##nav", ImVec2(width, 40));
    const bool hovered = ImGui::IsItemHovered();
    WidgetAnim& anim = nav_anim(slot);
    const float hover = animate(anim.hover, hovered ? 1.0f : 0.0f, 16);
    const float sel = animate(anim.on, selected ? 1.0f : 0.0f, 16);
    const float m = std::clamp((1 - sel) * hover + sel, 0.0f, 1.0f);

    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const float inset_x = 2 * (1 - m);
    const float inset_y = 2 + 0.7f * (1 - m);
    const ImVec2 min(p.x + inset_x, p.y + inset_y);
    const ImVec2 max(p.x + width - inset_x, p.y + 40 - inset_y);
    if (sel > 0.02f) {
        draw_list->AddRectFilled(min, max, color_with_alpha(kWell, 0.82f * sel), 16.0f);
    } else if (hover > 0.02f) {
        draw_list->AddRectFilled(min, max, color_with_alpha(kWell, 0.28f * hover), 16.0f);
    }
    if (m > 0.04f) {
        draw_list->AddRect(min, max, color_with_alpha(kAccent, 0.6f * sel + 0.25f + 0.25f * hover), 16.0f, 0,
                           1.55f);
    }
    const ImU32 icon_colour = selected ? rgba(kAccent, 255) : hovered ? rgba(kText, 255) : rgba(kMuted, 255);
    nav_icon(draw_list, icon, ImVec2(p.x + 18, p.y + 20), icon_colour);

    ImFont* font = font_or_current(ui_fonts().font_label);
    const float size = 13.5f;
    const float height = font->CalcTextSizeA(size, FLT_MAX, 0.0f, label).y;
    const ImU32 label_colour = selected ? rgba(kText, 255) : hovered ? rgba(kText, 229) : rgba(kMuted, 255);
    draw_list->AddText(font, size, ImVec2(p.x + 38, p.y + (40 - height) * 0.5f), label_colour, label);
    ImGui::PopID();
    return clicked;
}

void nav_section_label(const char* text, float width) {
    const ImVec2 p = ImGui::GetCursorScreenPos();
    spaced_text(ImGui::GetWindowDrawList(), ImVec2(p.x + 10, p.y + 4), 10.5f, rgba(kMuted, 178), text, 1.1f);
    ImGui::Dummy(ImVec2(width, 18));
}

void section_header(const char* kicker, const char* title, const char* pill) {
    const ImVec2 p = ImGui::GetCursorScreenPos();
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const UiFonts& fonts = ui_fonts();
    spaced_text(draw_list, p, 10.5f, rgba(kAccent, 209), kicker, 1.1f);
    if (fonts.font_hero) {
        draw_list->AddText(fonts.font_hero, 24.0f, ImVec2(p.x, p.y + 16), rgba(kText, 255), title);
    } else {
        draw_list->AddText(font_or_current(fonts.font_title), 22.0f, ImVec2(p.x, p.y + 16), rgba(kText, 255),
                           title);
    }
    if (pill) {
        const float width = text_width(fonts.font_small, 11.0f, pill) + 18;
        const float right = ImGui::GetWindowPos().x + ImGui::GetContentRegionMax().x;
        const ImVec2 min(right - width, p.y + 22);
        const ImVec2 max(right, p.y + 44);
        draw_list->AddRectFilled(min, max, rgba(kWell, 178), 11.0f);
        draw_list->AddRect(min, max, rgba(kAccent, 114), 11.0f, 0, 1.3f);
        draw_list->AddText(font_or_current(fonts.font_small), 11.0f, ImVec2(min.x + 9, min.y + 3),
                           rgba(kMuted, 255), pill);
    }
    advance_cursor(1.0f, 42.0f);
}

} // namespace tavrine
