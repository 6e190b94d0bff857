#pragma once

#include "overlays/hud.h"

namespace tavrine {

// The HUD's layered window, class "TavrineHudOverlay": painted with GDI into a DIB section and
// pushed with UpdateLayeredWindow. One per process.
HudWindow& win32_hud_window();

} // namespace tavrine
