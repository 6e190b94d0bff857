// Builds without a window system (the native tests): the overlay's model still advances every
// frame, with a mouse that never moves or fires, but nothing is shown.
#include "overlays/crosshair.h"
#include "overlays/crosshair_motion.h"

namespace tavrine {

void update_crosshair_overlay(float dt) {
    CrosshairMotion& motion = crosshair_motion();
    CrosshairSettings& settings = crosshair_settings();
    rainbow_step(motion, settings, dt);
    motion_step(motion, settings, dt, MouseSample{});
}

void destroy_crosshair_overlay() {}

} // namespace tavrine
