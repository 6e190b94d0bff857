#pragma once
// The Windows side of the crosshair overlay, as far as tests and the benchmark need to see it
// (no <windows.h> here): the canvas GDI paints, and what the system says about the window.

#include "overlays/crosshair.h"
#include "overlays/crosshair_shapes.h"
#include "overlays/layered_overlay.h"

#include <cstdint>
#include <vector>

namespace tavrine {

// Paints `shapes` in the colours of `settings` into a fresh 360 x 360 DIB as the overlay thread
// does: the premultiplied 0xAARRGGBB pixels the overlay pushes, row by row from the top. Empty
// when GDI could not give a canvas.
std::vector<std::uint32_t> render_crosshair_canvas(const CrosshairSettings& settings,
                                                   const CrosshairShapeList& shapes);

// The overlay window is painted and pushed on a thread of its own: blocks until the frames
// published so far are on the screen.
void wait_for_crosshair_overlay();
// What the overlay thread spent painting and pushing so far (the benchmark).
LayeredOverlayTimes crosshair_overlay_times();

using CrosshairWindowFacts = LayeredWindowFacts;
CrosshairWindowFacts crosshair_window_facts();

} // namespace tavrine
