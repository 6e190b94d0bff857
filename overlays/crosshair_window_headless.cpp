// Builds without a window system (the native tests): the overlay's model still advances, on the
// overlay clock while the overlay is on, with a mouse that never moves or fires, but nothing is
// shown.
#include "overlays/crosshair_screen.h"

namespace tavrine {

MouseSample read_crosshair_mouse() {
    return {};
}
void show_crosshair_window(const CrosshairSettings&, const CrosshairMotion&) {}
void hide_crosshair_window() {}
void stop_crosshair_window() {}
std::chrono::nanoseconds display_refresh_period() {
    return std::chrono::nanoseconds(1'000'000'000 / 60);
}

} // namespace tavrine
