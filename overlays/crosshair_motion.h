#pragma once
// The crosshair's motion model: bloom (spread added to gap, length and size) and kick (a
// displacement of the whole crosshair) driven by the mouse buttons and cursor movement, and the
// rainbow hue. Plain arithmetic over what the caller read from the system, so it runs the same
// in tests as under the overlay.

#include "overlays/crosshair.h"

namespace tavrine {

struct CrosshairMotion {
    float kick_x = 0.0f; // pixels
    float kick_y = 0.0f;
    float bloom = 0.0f; // pixels
    float hue_phase = 0.0f;
    int previous_x = 0;
    int previous_y = 0;
    bool previous_valid = false;
    // What the drawing uses this frame.
    int effective_length = 0;
    int effective_gap = 0;
    int effective_size = 0;
};

// The process-wide state the overlay and the page's "Live spread" line read.
CrosshairMotion& crosshair_motion();

// What the system reported this frame: the cursor and the held state of the two buttons.
struct MouseSample {
    int x = 0;
    int y = 0;
    bool left = false;
    bool right = false;
};

// R, G, B (0..1) of the hue `phase` at the given saturation and brightness (six-sector HSV).
CrosshairColour rainbow_colour(float phase, float saturation, float brightness);
// Advances the hue by `dt` and stores the colour into the crosshair colour (alpha 1). Does
// nothing while the rainbow cycle is off.
void rainbow_step(CrosshairMotion& motion, CrosshairSettings& settings, float dt);
// Bloom, kick and the effective sizes for this frame.
void motion_step(CrosshairMotion& motion, const CrosshairSettings& settings, float dt,
                 const MouseSample& mouse);

// round(value) as an int, half away from zero, saturated to the int range (NaN gives 0): hand-
// edited settings can push the sums far beyond what an int holds.
int saturating_round(double value);

} // namespace tavrine
