// The crosshair overlay window: a click-through, topmost, layered popup of 360 x 360 pixels.
// Every frame the main thread publishes the shape list; the overlay thread paints it with GDI
// and pushes it with per-pixel alpha (overlays/layered_overlay.h).
#include "overlays/crosshair.h"
#include "overlays/crosshair_canvas.h"
#include "overlays/crosshair_motion.h"
#include "overlays/crosshair_shapes.h"
#include "overlays/layered_overlay.h"
#include "platform/win32_handles.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <utility>

namespace tavrine {

namespace {

COLORREF colour_ref(const CrosshairColour& c) {
    return RGB(colour_byte(c[0]), colour_byte(c[1]), colour_byte(c[2]));
}

int whole(double value) {
    return static_cast<int>(std::lround(value)); // the shape builder keeps values small
}

void paint_shape(HDC dc, const CrosshairShape& shape, COLORREF colour) {
    switch (shape.kind) {
    case CrosshairShapeKind::Quad: {
        SetDCBrushColor(dc, colour);
        if (shape.upright) {
            const RECT rect{whole(shape.corners[0].x), whole(shape.corners[0].y), whole(shape.corners[2].x),
                            whole(shape.corners[2].y)};
            FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            return;
        }
        POINT points[4];
        for (std::size_t i = 0; i < 4; ++i) {
            points[i] = {whole(shape.corners[i].x), whole(shape.corners[i].y)};
        }
        win32::SelectedObject brush(dc, GetStockObject(DC_BRUSH));
        win32::SelectedObject pen(dc, GetStockObject(NULL_PEN));
        Polygon(dc, points, 4);
        return;
    }
    case CrosshairShapeKind::Ring: {
        win32::UniqueGdiObject stroke(CreatePen(PS_SOLID, std::max(1, whole(shape.pen)), colour));
        win32::SelectedObject pen(dc, stroke.get());
        win32::SelectedObject brush(dc, GetStockObject(NULL_BRUSH));
        const int r = whole(shape.radius);
        const int x = whole(shape.centre.x);
        const int y = whole(shape.centre.y);
        Ellipse(dc, x - r, y - r, x + r + 1, y + r + 1);
        return;
    }
    case CrosshairShapeKind::Disc: {
        SetDCBrushColor(dc, colour);
        SetDCPenColor(dc, colour);
        win32::SelectedObject brush(dc, GetStockObject(DC_BRUSH));
        win32::SelectedObject pen(dc, GetStockObject(DC_PEN));
        const int r = whole(shape.radius);
        const int x = whole(shape.centre.x);
        const int y = whole(shape.centre.y);
        Ellipse(dc, x - r, y - r, x + r + 1, y + r + 1);
        return;
    }
    }
}

// What one push shows, copied whole from the main thread and painted on the overlay thread:
// the canvas cleared to "untouched", the shapes painted, the alpha pass.
class CrosshairPicture final : public LayeredPicture {
public:
    CrosshairPicture(const CrosshairSettings& settings, CrosshairShapeList shapes)
        : shapes_(std::move(shapes)), fill_(colour_ref(settings.colour)),
          outline_(colour_ref(settings.outline_colour)), alpha_(overlay_alpha(settings.opacity)) {}
    int width() const override { return kCrosshairCanvas; }
    int height() const override { return kCrosshairCanvas; }
    void paint(const LayeredCanvas& canvas) const override {
        HDC dc = static_cast<HDC>(canvas.dc);
        std::fill(canvas.pixels.begin(), canvas.pixels.end(), kCrosshairUntouched);
        for (const CrosshairShape& shape : shapes_.shapes()) {
            paint_shape(dc, shape, shape.ink == CrosshairInk::Outline ? outline_ : fill_);
        }
        GdiFlush(); // GDI may batch: every stroke must be in the bits before they are read
        apply_overlay_alpha(canvas.pixels, alpha_);
    }
    bool same_as(const LayeredPicture& other) const override {
        const auto* o = dynamic_cast<const CrosshairPicture*>(&other);
        return o && shapes_ == o->shapes_ && fill_ == o->fill_ && outline_ == o->outline_ &&
               alpha_ == o->alpha_;
    }

private:
    CrosshairShapeList shapes_;
    COLORREF fill_;
    COLORREF outline_;
    std::uint8_t alpha_;
};

LayeredOverlay& overlay() {
    static LayeredOverlay instance(L"TavrineCrosshairOverlay");
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

MouseSample read_mouse() {
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

} // namespace

void update_crosshair_overlay(float dt) {
    CrosshairSettings& settings = crosshair_settings();
    CrosshairMotion& motion = crosshair_motion();
    rainbow_step(motion, settings, dt);
    // The mouse is read only when the motion step looks at it.
    motion_step(motion, settings, dt, settings.react_to_recoil ? read_mouse() : MouseSample{});
    if (!settings.enabled) {
        overlay().hide(); // hidden, not destroyed; an unchanged frame costs no push
        return;
    }
    const POINT centre = rest_centre(settings);
    overlay().publish({true, window_origin(centre.x, settings.offset_x, motion.kick_x),
                       window_origin(centre.y, settings.offset_y, motion.kick_y),
                       std::make_shared<CrosshairPicture>(
                           settings, crosshair_shapes(settings, crosshair_measures(settings, motion),
                                                      {static_cast<double>(kCrosshairCentre),
                                                       static_cast<double>(kCrosshairCentre)},
                                                      CrosshairGrid::Pixels))});
}

void destroy_crosshair_overlay() {
    overlay().stop();
}

void wait_for_crosshair_overlay() {
    overlay().wait_idle();
}

std::vector<std::uint32_t> render_crosshair_canvas(const CrosshairSettings& settings,
                                                   const CrosshairShapeList& shapes) {
    return render_layered_picture(CrosshairPicture(settings, shapes));
}

CrosshairWindowFacts crosshair_window_facts() {
    return overlay().facts();
}

} // namespace tavrine
