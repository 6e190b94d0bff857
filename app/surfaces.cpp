// Window background, card, logo mark and the nav glyphs: plain draw-list shapes, no items.
#include "app/shell_state.h"
#include "app/theme.h"
#include "app/widgets.h"

#include <algorithm>

namespace tavrine {

using namespace palette;

void draw_window_background(ImVec2 origin, float fade) {
    fade = std::clamp(fade, 0.0f, 1.0f);
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const ImVec2 max(origin.x + kWindowWidth, origin.y + kWindowHeight);
    const float opacity = static_cast<float>(shell_state().surface_opacity) * 2.55f * fade;
    draw_list->AddRectFilled(origin, max, rgba(kInk, static_cast<int>(std::clamp(opacity, 0.0f, 255.0f))),
                             26.0f);

    // Corner glow: one quad whose top-left vertex carries the accent and the rest fade to ink.
    const int glow = static_cast<int>(26.0f * fade);
    if (glow != 0) {
        draw_list->AddRectFilledMultiColor(origin, ImVec2(max.x, origin.y + 294.0f), rgba(kAccent, glow),
                                           rgba(kInk, 0), rgba(kInk, 0), rgba(kInk, 0));
    }
    draw_list->AddRect(origin, max, color_with_alpha(kLine, 0.95f * fade), 26.0f, 0, 1.85f);
    draw_list->AddRect(ImVec2(origin.x + 3, origin.y + 3), ImVec2(max.x - 3, max.y - 3),
                       color_with_alpha(kAccent, 0.16f * fade), 22.0f, 0, 1.05f);
}

void draw_card(ImVec2 min, ImVec2 max, float rounding, float fill_alpha, float outline) {
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    draw_list->AddRectFilled(min, max, color_with_alpha(kCard, fill_alpha), rounding);
    draw_list->AddRect(min, max, color_with_alpha(kLine, std::clamp(outline + 0.55f, 0.0f, 1.0f)), rounding,
                       0, 1.7f);
    const int inner = alpha_byte(std::clamp(0.85f * outline, 0.0f, 0.55f));
    if (rounding >= 10.0f && inner != 0) {
        draw_list->AddRect(ImVec2(min.x + 2.2f, min.y + 2.2f), ImVec2(max.x - 2.2f, max.y - 2.2f),
                           rgba(kAccent, inner), std::max(rounding - 3.0f, 4.0f), 0, 1.05f);
    }
}

void draw_logo_mark(ImVec2 c, float s, float a) {
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const ImVec2 min(c.x - 14 * s, c.y - 14 * s);
    const ImVec2 max(c.x + 14 * s, c.y + 14 * s);
    draw_list->AddRectFilled(min, max, color_with_alpha(kCard, a), 10 * s);
    draw_list->AddRect(min, max, color_with_alpha(kAccent, 0.75f * a), 10 * s, 0, 1.6f * s);
    draw_list->AddRectFilled(ImVec2(c.x - 9 * s, c.y - 11 * s), ImVec2(c.x + 9 * s, c.y - 9.6f * s),
                             color_with_alpha(kKnob, 0.9f * a), 1.0f);
    const float base = c.y + 1.2f * s;
    const ImVec2 left(c.x - 6.2f * s, base - 3.41f * s);
    const ImVec2 tip(c.x, base + 3.844f * s);
    const ImVec2 right(c.x + 6.2f * s, base - 3.41f * s);
    draw_list->AddLine(left, tip, color_with_alpha(kAccent, a), 1.7f * s);
    draw_list->AddLine(tip, right, color_with_alpha(kText, a), 1.7f * s);
}

void nav_icon(ImDrawList* dl, int id, ImVec2 c, ImU32 colour) {
    // A transparent colour draws nothing at all (the draw list would skip each shape anyway).
    if (id < kOverviewIcon || id > kGamesIcon || (colour & IM_COL32_A_MASK) == 0) {
        return;
    }
    const float x = c.x;
    const float y = c.y;
    constexpr float kStroke = 1.45f;
    switch (id) {
    case kOverviewIcon:
        dl->AddLine(ImVec2(x - 6.2f, y + 0.4f), ImVec2(x, y - 6.2f), colour, kStroke);
        dl->AddLine(ImVec2(x, y - 6.2f), ImVec2(x + 6.2f, y + 0.4f), colour, kStroke);
        dl->AddRect(ImVec2(x - 3.4f, y + 0.2f), ImVec2(x + 3.4f, y + 6.2f), colour, 1.2f, 0, kStroke);
        break;
    case kLatencyIcon:
        dl->AddBezierCubic(ImVec2(x - 6.2f, y + 1.6f), ImVec2(x - 2.2f, y - 6.2f), ImVec2(x + 2.2f, y + 6.2f),
                           ImVec2(x + 6.2f, y - 1.6f), colour, kStroke);
        break;
    case kFramesIcon:
        dl->AddRectFilled(ImVec2(x - 6.2f, y + 2.4f), ImVec2(x - 2.4f, y + 6.2f), colour, 1.1f);
        dl->AddRectFilled(ImVec2(x - 1.5f, y - 0.6f), ImVec2(x + 1.5f, y + 6.2f), colour, 1.1f);
        dl->AddRectFilled(ImVec2(x + 2.4f, y - 6.2f), ImVec2(x + 6.2f, y + 6.2f), colour, 1.1f);
        break;
    case kNetcodeIcon:
        dl->AddCircle(c, 1.5f, colour, 12, kStroke);
        dl->AddCircle(c, 4.0f, colour, 16, 1.2f);
        dl->AddCircle(c, 6.3f, colour, 20, 1.05f);
        break;
    case kCleanupIcon:
        dl->AddCircle(c, 5.5f, colour, 18, kStroke);
        dl->PathLineTo(ImVec2(x - 2.2f, y + 0.2f));
        dl->PathLineTo(ImVec2(x - 0.3f, y + 2.3f));
        dl->PathLineTo(ImVec2(x + 3.4f, y - 2.4f));
        dl->PathStroke(colour, 0, kStroke);
        break;
    case kDeployIcon:
        dl->AddTriangle(ImVec2(x - 3.2f, y - 5.6f), ImVec2(x - 3.2f, y + 5.6f), ImVec2(x + 5.8f, y), colour,
                        kStroke);
        break;
    case kCrosshairIcon:
        dl->AddLine(ImVec2(x - 6.2f, y), ImVec2(x + 6.2f, y), colour, kStroke);
        dl->AddLine(ImVec2(x, y - 6.2f), ImVec2(x, y + 6.2f), colour, kStroke);
        dl->AddCircle(c, 1.2f, colour, 12, 1.2f);
        break;
    case kSettingsIcon:
        dl->AddCircle(c, 2.0f, colour, 12, kStroke);
        dl->AddCircle(c, 5.7f, colour, 18, 1.25f);
        break;
    case kCpuIcon:
        dl->AddRect(ImVec2(x - 4.6f, y - 4.6f), ImVec2(x + 4.6f, y + 4.6f), colour, 1.4f, 0, kStroke);
        dl->AddRectFilled(ImVec2(x - 1.8f, y - 1.8f), ImVec2(x + 1.8f, y + 1.8f), colour, 0.8f);
        break;
    case kGamesIcon: {
        const ImVec2 left(x - 3.4f, y + 1.6f);
        const ImVec2 right(x + 3.4f, y + 1.6f);
        dl->AddCircle(left, 1.9f, colour, 12, kStroke);
        dl->AddCircle(right, 1.9f, colour, 12, kStroke);
        dl->AddLine(ImVec2(x, y - 4.6f), left, colour, kStroke);
        dl->AddLine(ImVec2(x, y - 4.6f), right, colour, kStroke);
        break;
    }
    default:
        break;
    }
}

} // namespace tavrine
