#pragma once

#include "overlays/hud.h"
#include "overlays/layered_overlay.h"

namespace tavrine {

// The HUD's layered window, class "TavrineHudOverlay": the panel is painted with GDI and pushed
// with UpdateLayeredWindow on the overlay thread. One per process.
HudWindow& win32_hud_window();
// Blocks until the panels presented so far are on the screen (tests and the benchmark).
void wait_for_hud_window();
LayeredWindowFacts hud_window_facts();

} // namespace tavrine
