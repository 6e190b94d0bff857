// The drag strip and the title buttons along the top band of the window.
#include "app/screens.h"
#include "app/theme.h"

namespace tavrine {

using namespace palette;

DragPhase drag_strip(bool dragging) {
    ImGui::InvisibleButton("##drag", ImVec2(1132, 48));
    if (ImGui::IsItemActivated()) {
        return DragPhase::Began;
    }
    if (ImGui::IsItemActive()) {
        return dragging ? DragPhase::Held : DragPhase::Began;
    }
    return dragging ? DragPhase::Ended : DragPhase::None;
}

namespace {

enum class Glyph { Minimise, Close };

bool title_button(const char* id, ImVec2 pos, Glyph glyph) {
    ImGui::SetCursorScreenPos(pos);
    const bool clicked = ImGui::InvisibleButton(id, ImVec2(26, 26));
    const bool hovered = ImGui::IsItemHovered();
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const ImVec2 c(pos.x + 13, pos.y + 13);
    ImU32 glyph_colour = rgba(kMuted, 255);
    if (hovered) {
        const bool close = glyph == Glyph::Close;
        draw_list->AddCircleFilled(c, 13, close ? rgba(kButtonPressed, 200) : rgba(kRaised, 180));
        draw_list->AddCircle(c, 13, close ? rgba(kAccent, 255) : rgba(kAccent, 216), 0, 1.4f);
        glyph_colour = rgba(kText, 255);
    } else {
        draw_list->AddCircle(c, 13, rgba(kLine, 178), 0, 1.4f);
    }
    if (glyph == Glyph::Minimise) {
        draw_list->AddLine(ImVec2(c.x - 5, c.y), ImVec2(c.x + 5, c.y), glyph_colour, 1.4f);
    } else {
        // Two 10 px diagonals.
        const float h = 3.5355f;
        draw_list->AddLine(ImVec2(c.x - h, c.y - h), ImVec2(c.x + h, c.y + h), glyph_colour, 1.2f);
        draw_list->AddLine(ImVec2(c.x - h, c.y + h), ImVec2(c.x + h, c.y - h), glyph_colour, 1.2f);
    }
    return clicked;
}

} // namespace

TitleAction title_buttons(ImVec2 origin) {
    TitleAction action = TitleAction::None;
    if (title_button("##min", ImVec2(origin.x + 1150, origin.y + 11), Glyph::Minimise)) {
        action = TitleAction::Minimise;
    }
    if (title_button("##close", ImVec2(origin.x + 1180, origin.y + 11), Glyph::Close)) {
        action = TitleAction::Close;
    }
    return action;
}

} // namespace tavrine
