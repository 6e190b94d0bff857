#include "overlays/overlays_state.h"

#include "engine/rebuild.h"

namespace tavrine {

OverlaysState& overlays_state() {
    static OverlaysState state;
    return state;
}

void reset_overlays_state() {
    rebuild(overlays_state());
}

CrosshairSettings& crosshair_settings() {
    return overlays_state().crosshair_settings;
}

CrosshairMotion& crosshair_motion() {
    return overlays_state().crosshair_motion;
}

} // namespace tavrine
