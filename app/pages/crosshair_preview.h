#pragma once
// The Crosshair page's live preview: the overlay's own shape list drawn with the GUI's draw
// list in a 240 x 240 square.

#include <imgui.h>

namespace tavrine {

// `top_left` in screen coordinates; draws only, the caller reserves the space.
void draw_crosshair_preview(ImVec2 top_left);

} // namespace tavrine
