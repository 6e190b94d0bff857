// Rows, switches, buttons and the progress bar.
#include "app/fonts.h"
#include "app/theme.h"
#include "app/widget_anim.h"
#include "app/widgets.h"

#include <algorithm>

namespace tavrine {

using namespace palette;

namespace {

ImVec2 operator+(ImVec2 a, ImVec2 b) {
    return ImVec2(a.x + b.x, a.y + b.y);
}

// An invisible button that moves the cursor down by exactly `advance` (its height plus the
// gap the widget asks for) instead of the style's item spacing.
bool invisible_item(const char* id, ImVec2 size, float advance) {
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing,
                        ImVec2(ImGui::GetStyle().ItemSpacing.x, std::max(0.0f, advance - size.y)));
    const bool clicked = ImGui::InvisibleButton(id, size);
    ImGui::PopStyleVar();
    return clicked;
}

void centred_text(ImDrawList* draw_list, ImFont* font, float size, ImVec2 min, ImVec2 max, ImU32 colour,
                  const char* text) {
    font = font_or_current(font);
    const ImVec2 extent = font->CalcTextSizeA(size, FLT_MAX, 0.0f, text);
    draw_list->AddText(
        font, size,
        ImVec2(min.x + (max.x - min.x - extent.x) * 0.5f, min.y + (max.y - min.y - extent.y) * 0.5f), colour,
        text);
}

} // namespace

void switch_glyph(ImVec2 pos, float on, float hover) {
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const ImVec2 max = pos + ImVec2(48, 26);
    const Rgb fill{static_cast<unsigned char>(62 + 56 * on), static_cast<unsigned char>(62 + 24 * on),
                   static_cast<unsigned char>(72 + 124 * on)};
    draw_list->AddRectFilled(pos, max, rgba(fill, 255), 13.0f);
    const ImU32 outline = on > 0.5f ? color_with_alpha(kAccent, 0.35f * on + 0.55f) : rgba(kLine, 216);
    draw_list->AddRect(pos, max, outline, 13.0f, 0, 1.5f);
    const ImVec2 knob(pos.x + 13 + 22 * on, pos.y + 13);
    const float radius = 9.2f + 0.6f * hover;
    draw_list->AddCircle(knob, radius + 0.6f, rgba(kWhite, 89), 0, 1.2f);
    draw_list->AddCircleFilled(knob, radius, rgba(kKnob, 255), 16);
}

bool module_row(const char* label, const char* sub_label, bool& flag, const char* description, float width) {
    ImGui::PushID(label);
    const ImVec2 p = ImGui::GetCursorScreenPos();
    const bool clicked = invisible_item("##card", ImVec2(width, 62), 68);
    if (clicked) {
        flag = !flag;
    }
    const bool hovered = ImGui::IsItemHovered();
    WidgetAnim& anim = widget_anim(ImGui::GetItemID());
    const float hover = animate(anim.hover, hovered ? 1.0f : 0.0f, 16);
    const float on = animate(anim.on, flag ? 1.0f : 0.0f, 18);

    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const float grow = 1.15f * hover;
    const ImVec2 min(p.x - grow, p.y - grow);
    const ImVec2 max(p.x + width + grow, p.y + 62 + grow);
    draw_card(min, max, 20.0f, 0.98f, 0.08f + 0.16f * hover + 0.22f * on);
    if (on > 0.04f) {
        draw_list->AddRect(min, max, color_with_alpha(kAccent, 0.5f * on + 0.22f), 20.0f, 0, 1.7f);
    }
    const ImVec2 tile = p + ImVec2(14, 15);
    draw_list->AddRectFilled(tile, tile + ImVec2(32, 32), color_with_alpha(kAccent, 0.1f * on + 0.16f),
                             12.0f);
    draw_list->AddCircleFilled(tile + ImVec2(16, 16), 3.2f, flag ? rgba(kAccent, 255) : rgba(kMuted, 178),
                               10);

    const UiFonts& fonts = ui_fonts();
    ImFont* label_font = font_or_current(fonts.font_label);
    draw_list->AddText(label_font, label_font->FontSize, p + ImVec2(56, 14), rgba(kText, 255), label);
    if (sub_label) {
        draw_list->AddText(font_or_current(fonts.font_small), 12.0f, p + ImVec2(56, 36), rgba(kMuted, 255),
                           sub_label);
    }
    switch_glyph(p + ImVec2(width - 64, 18), on, hover);
    if (hovered && description && *description) {
        ImGui::SetTooltip("%s", description);
    }
    ImGui::PopID();
    return clicked;
}

bool toggle_row(const char* label, bool& flag, const char* description) {
    ImGui::PushID(label);
    const ImVec2 p = ImGui::GetCursorScreenPos();
    const float width = std::max(ImGui::GetContentRegionAvail().x, 60.0f);
    const bool clicked = ImGui::InvisibleButton("##row", ImVec2(width, 32));
    if (clicked) {
        flag = !flag;
    }
    const bool hovered = ImGui::IsItemHovered();
    WidgetAnim& anim = widget_anim(ImGui::GetItemID());
    const float hover = animate(anim.hover, hovered ? 1.0f : 0.0f, 16);
    const float on = animate(anim.on, flag ? 1.0f : 0.0f, 18);
    ImGui::GetWindowDrawList()->AddText(font_or_current(ui_fonts().regular), 13.5f, p + ImVec2(0, 8.25f),
                                        rgba(kText, 255), label);
    switch_glyph(ImVec2(p.x + width - 52, p.y + 3), on, hover);
    if (hovered && description && *description) {
        ImGui::SetTooltip("%s", description);
    }
    ImGui::PopID();
    return clicked;
}

bool action_button(const char* label, ImVec2 size, float glow) {
    ImGui::PushID(label);
    const ImVec2 p = ImGui::GetCursorScreenPos();
    const bool clicked = ImGui::InvisibleButton("##cta", size);
    const bool hovered = ImGui::IsItemHovered();
    const bool held = ImGui::IsItemActive();
    WidgetAnim& anim = widget_anim(ImGui::GetItemID());
    const float hover = animate(anim.hover, hovered ? 1.0f : 0.0f, 16);
    const float press = animate(anim.on, held ? 1.0f : 0.0f, 22);

    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const float g = 1.5f * hover - 1.1f * press;
    const ImVec2 min(p.x - g, p.y - g);
    const ImVec2 max(p.x + size.x + g, p.y + size.y + g);
    const float rounding = size.y / 2 + g;
    const Rgb idle{static_cast<unsigned char>(118 + 50 * hover), static_cast<unsigned char>(86 + 56 * hover),
                   static_cast<unsigned char>(196 + 32 * hover)};
    draw_list->AddRectFilled(min, max, held ? rgba(kButtonPressed, 255) : rgba(idle, 255), rounding);
    draw_list->AddRect(min, max, color_with_alpha(kAccent, 0.2f * glow + 0.48f * hover + 0.42f), rounding, 0,
                       1.8f);
    centred_text(draw_list, ui_fonts().font_label, 14.0f, p, p + size, rgba(kText, 247), label);
    ImGui::PopID();
    return clicked;
}

bool ghost_button(const char* label, ImVec2 size) {
    ImGui::PushID(label);
    const ImVec2 p = ImGui::GetCursorScreenPos();
    const bool clicked = ImGui::InvisibleButton("##ghost", size);
    const bool hovered = ImGui::IsItemHovered();
    WidgetAnim& anim = widget_anim(ImGui::GetItemID());
    const float hover = animate(anim.hover, hovered ? 1.0f : 0.0f, 16);

    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const float g = 1.25f * hover;
    const ImVec2 min(p.x - g, p.y - g);
    const ImVec2 max(p.x + size.x + g, p.y + size.y + g);
    draw_list->AddRectFilled(min, max, color_with_alpha(kWell, 0.4f * hover + 0.35f), size.y / 2);
    draw_list->AddRect(min, max, hovered ? rgba(kAccent, 204) : rgba(kLine, 229), size.y / 2, 0, 1.35f);
    centred_text(draw_list, ui_fonts().font_small, 13.0f, p, p + size, rgba(hovered ? kText : kMuted, 255),
                 label);
    ImGui::PopID();
    return clicked;
}

void progress_bar(float fraction, float width) {
    const ImVec2 p = ImGui::GetCursorScreenPos();
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const ImVec2 max = p + ImVec2(width, 10);
    draw_list->AddRectFilled(p, max, rgba(kWell, 216), 5.0f);
    draw_list->AddRect(p, max, rgba(kLine, 191), 5.0f, 0, 1.2f);
    const float filled = std::clamp(fraction, 0.0f, 1.0f) * width;
    if (filled > 1.0f) {
        draw_list->AddRectFilled(p, p + ImVec2(filled, 10), rgba(kAccent, 255), 5.0f);
    }
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(ImGui::GetStyle().ItemSpacing.x, 10));
    ImGui::Dummy(ImVec2(width, 10));
    ImGui::PopStyleVar();
}

} // namespace tavrine
