// The crosshair overlay window: a click-through, topmost, layered popup of 360 x 360 pixels.
// The overlay clock (overlays/crosshair_overlay.cpp) hands over each frame's settings and
// motion; a frame that differs from the last is published as a CrosshairPicture, which the
// overlay thread paints straight into the canvas it keeps (overlays/crosshair_raster.h) and
// pushes with per-pixel alpha (overlays/layered_overlay.h).
#include "overlays/crosshair.h"
#include "overlays/crosshair_canvas.h"
#include "overlays/crosshair_motion.h"
#include "overlays/crosshair_raster.h"
#include "overlays/crosshair_screen.h"
#include "overlays/crosshair_shapes.h"
#include "overlays/layered_overlay.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <utility>

namespace tavrine {

namespace {

// What one push shows. Painting clears only what the picture before it covered, then writes
// the shapes' pixels: the rest of the canvas is transparent already.
class CrosshairPicture final : public LayeredPicture {
public:
    CrosshairPicture(CrosshairShapeList shapes, CrosshairInks inks)
        : shapes_(std::move(shapes)), inks_(inks), bounds_(crosshair_bounds(shapes_)) {}
    int width() const override { return kCrosshairCanvas; }
    int height() const override { return kCrosshairCanvas; }
    void paint(const LayeredCanvas& canvas) const override {
        const auto* before = dynamic_cast<const CrosshairPicture*>(canvas.previous);
        if (before) {
            clear_canvas_box(canvas.pixels, before->bounds_);
        } else {
            std::fill(canvas.pixels.begin(), canvas.pixels.end(), 0u);
        }
        paint_crosshair(canvas.pixels, shapes_, inks_);
    }
    bool same_as(const LayeredPicture& other) const override {
        const auto* o = dynamic_cast<const CrosshairPicture*>(&other);
        return o && same_drawing(*o);
    }
    bool same_drawing(const CrosshairPicture& o) const { return shapes_ == o.shapes_ && inks_ == o.inks_; }

private:
    CrosshairShapeList shapes_;
    CrosshairInks inks_;
    PixelBox bounds_;
};

LayeredOverlay& overlay() {
    static LayeredOverlay instance(L"TavrineCrosshairOverlay");
    return instance;
}

// The last frame the clock published; touched by the clock thread, or by the main thread while
// the clock is stopped.
struct Published {
    bool valid = false;
    int x = 0;
    int y = 0;
    std::shared_ptr<const CrosshairPicture> picture;
};
Published& published() {
    static Published instance;
    return instance;
}

// The screen point the crosshair rests on: the primary screen's centre, or, when the setting
// says otherwise, the centre of the monitor showing the foreground window (the game).
POINT rest_centre(const CrosshairSettings& settings) {
    if (!settings.center_on_primary) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        HMONITOR monitor = MonitorFromWindow(GetForegroundWindow(), MONITOR_DEFAULTTOPRIMARY);
        if (monitor && GetMonitorInfoW(monitor, &info)) {
            return {info.rcMonitor.left + (info.rcMonitor.right - info.rcMonitor.left) / 2,
                    info.rcMonitor.top + (info.rcMonitor.bottom - info.rcMonitor.top) / 2};
        }
    }
    const ScreenSize screen = primary_screen_size();
    return {screen.width / 2, screen.height / 2};
}

// centre + offset + round(kick) - 180, in 64 bits and held inside the int range: a hand-edited
// offset must not wrap the window to the far side of the desktop.
int window_origin(long centre, int offset, float kick) {
    const double sum = static_cast<double>(centre) + offset + saturating_round(kick) - kCrosshairCentre;
    return static_cast<int>(std::clamp(sum, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

CrosshairShapeList overlay_shapes(const CrosshairSettings& settings, const CrosshairMotion& motion) {
    return crosshair_shapes(settings, crosshair_measures(settings, motion),
                            {static_cast<double>(kCrosshairCentre), static_cast<double>(kCrosshairCentre)},
                            CrosshairGrid::Pixels);
}

} // namespace

MouseSample read_crosshair_mouse() {
    MouseSample sample;
    POINT cursor{};
    if (GetCursorPos(&cursor)) {
        sample.x = cursor.x;
        sample.y = cursor.y;
    }
    sample.left = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
    sample.right = (GetAsyncKeyState(VK_RBUTTON) & 0x8000) != 0;
    return sample;
}

void show_crosshair_window(const CrosshairSettings& settings, const CrosshairMotion& motion) {
    const POINT centre = rest_centre(settings);
    const int x = window_origin(centre.x, settings.offset_x, motion.kick_x);
    const int y = window_origin(centre.y, settings.offset_y, motion.kick_y);
    auto picture =
        std::make_shared<const CrosshairPicture>(overlay_shapes(settings, motion), crosshair_inks(settings));
    Published& last = published();
    if (last.valid && last.x == x && last.y == y && last.picture->same_drawing(*picture)) {
        return; // a still crosshair wakes nothing
    }
    last = {true, x, y, picture};
    overlay().publish({true, x, y, std::move(picture)});
}

void hide_crosshair_window() {
    published() = Published{};
    overlay().hide();
}

void stop_crosshair_window() {
    published() = Published{};
    overlay().stop();
}

std::chrono::nanoseconds display_refresh_period() {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    // 0 and 1 stand for the hardware's default rate; anything outside 30..360 is not believed.
    int hertz = 60;
    if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency >= 30 &&
        mode.dmDisplayFrequency <= 360) {
        hertz = static_cast<int>(mode.dmDisplayFrequency);
    }
    return std::chrono::nanoseconds(1'000'000'000 / hertz);
}

void wait_for_crosshair_overlay() {
    settle_crosshair_clock();
    overlay().wait_idle();
}

std::vector<std::uint32_t> render_crosshair_canvas(const CrosshairSettings& settings,
                                                   const CrosshairShapeList& shapes) {
    return render_layered_picture(CrosshairPicture(shapes, crosshair_inks(settings)));
}

CrosshairWindowFacts crosshair_window_facts() {
    return overlay().facts();
}

LayeredOverlayTimes crosshair_overlay_times() {
    return overlay().times();
}

} // namespace tavrine
