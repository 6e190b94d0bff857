#include "app/pages/crosshair_preview.h"

#include "app/theme.h"
#include "overlays/crosshair.h"
#include "overlays/crosshair_motion.h"
#include "overlays/crosshair_shapes.h"

#include <algorithm>

namespace tavrine {

namespace {

constexpr float kSide = 240.0f;

ImU32 shape_colour(const CrosshairColour& c, int alpha) {
    return IM_COL32(colour_byte(c[0]), colour_byte(c[1]), colour_byte(c[2]), alpha);
}

ImVec2 to_vec(const CrosshairPoint& p) {
    return ImVec2(static_cast<float>(p.x), static_cast<float>(p.y));
}

} // namespace

void draw_crosshair_preview(ImVec2 p) {
    const CrosshairSettings& s = crosshair_settings();
    const CrosshairMotion& motion = crosshair_motion();
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const ImVec2 end(p.x + kSide, p.y + kSide);
    draw_list->AddRectFilled(p, end, IM_COL32(14, 14, 18, 255), 18.0f);
    draw_list->AddRect(p, end, rgba(palette::kAccent, 114), 18.0f, 0, 1.5f);
    const float cx = p.x + kSide / 2;
    const float cy = p.y + kSide / 2;
    draw_list->AddLine(ImVec2(cx, p.y + 10), ImVec2(cx, p.y + 230), IM_COL32(36, 38, 44, 90), 1.0f);
    draw_list->AddLine(ImVec2(p.x + 10, cy), ImVec2(p.x + 230, cy), IM_COL32(36, 38, 44, 90), 1.0f);

    const CrosshairPoint centre{cx + 0.15 * s.offset_x + 0.2 * motion.kick_x,
                                cy + 0.15 * s.offset_y + 0.2 * motion.kick_y};
    const CrosshairColour colour =
        s.rainbow ? rainbow_colour(motion.hue_phase, s.rainbow_saturation, s.rainbow_brightness) : s.colour;
    const int alpha = static_cast<int>(std::clamp(static_cast<float>(s.opacity) * 2.55f, 0.0f, 255.0f));
    const float outline_share = std::clamp(s.outline_colour[3], 0.0f, 1.0f);
    const ImU32 fill = shape_colour(colour, alpha);
    const ImU32 outline =
        shape_colour(s.outline_colour, static_cast<int>(static_cast<float>(alpha) * outline_share));

    // Kept inside the square: a long arm or a far offset would otherwise run over the controls.
    draw_list->PushClipRect(p, end, true);
    const CrosshairShapeList shapes =
        crosshair_shapes(s, crosshair_measures(s, motion), centre, CrosshairGrid::Smooth);
    for (const CrosshairShape& shape : shapes.shapes()) {
        const ImU32 ink = shape.ink == CrosshairInk::Outline ? outline : fill;
        switch (shape.kind) {
        case CrosshairShapeKind::Quad:
            if (shape.upright) {
                draw_list->AddRectFilled(to_vec(shape.corners[0]), to_vec(shape.corners[2]), ink);
            } else {
                draw_list->AddQuadFilled(to_vec(shape.corners[0]), to_vec(shape.corners[1]),
                                         to_vec(shape.corners[2]), to_vec(shape.corners[3]), ink);
            }
            break;
        case CrosshairShapeKind::Ring:
            draw_list->AddCircle(to_vec(shape.centre), static_cast<float>(shape.radius), ink, 48,
                                 static_cast<float>(shape.pen));
            break;
        case CrosshairShapeKind::Disc:
            draw_list->AddCircleFilled(to_vec(shape.centre), static_cast<float>(shape.radius), ink, 24);
            break;
        }
    }
    draw_list->PopClipRect();
}

} // namespace tavrine
