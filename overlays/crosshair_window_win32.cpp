// The crosshair overlay window: a click-through, topmost, layered popup of 360 x 360 pixels,
// repainted every frame with GDI from the shape list and pushed with per-pixel alpha.
#include "overlays/crosshair.h"
#include "overlays/crosshair_canvas.h"
#include "overlays/crosshair_motion.h"
#include "overlays/crosshair_shapes.h"
#include "platform/win32_handles.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <span>

namespace tavrine {

namespace {

constexpr wchar_t kOverlayClass[] = L"TavrineCrosshairOverlay";
constexpr int kPixels = kCrosshairCanvas * kCrosshairCanvas;

// A 32-bit top-down DIB selected into its own memory DC. Kept for the window's life: the
// content is repainted every frame, the GDI objects are made once.
class Canvas {
public:
    bool ready() {
        if (bits_) {
            return true;
        }
        win32::ScreenDc screen;
        dc_.reset(CreateCompatibleDC(screen.get()));
        if (!dc_) {
            return false;
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kCrosshairCanvas;
        info.bmiHeader.biHeight = -kCrosshairCanvas; // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap_ || !bits) {
            bitmap_.reset();
            dc_.reset();
            return false;
        }
        previous_ = SelectObject(dc_.get(), bitmap_.get());
        bits_ = static_cast<std::uint32_t*>(bits);
        return true;
    }
    ~Canvas() { release(); }
    void release() {
        if (previous_) {
            SelectObject(dc_.get(), previous_);
            previous_ = nullptr;
        }
        bits_ = nullptr;
        bitmap_.reset();
        dc_.reset();
    }
    HDC dc() const { return dc_.get(); }
    std::span<std::uint32_t> pixels() const { return {bits_, static_cast<std::size_t>(kPixels)}; }

private:
    win32::UniqueMemoryDc dc_;
    win32::UniqueGdiObject bitmap_;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

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

// The canvas as the overlay pushes it: cleared to "untouched", the shapes painted, the alpha pass.
void paint_canvas(Canvas& canvas, const CrosshairSettings& settings, const CrosshairShapeList& shapes) {
    GdiFlush(); // nothing of an earlier frame may land after the clear
    std::fill(canvas.pixels().begin(), canvas.pixels().end(), kCrosshairUntouched);
    const COLORREF fill = colour_ref(settings.colour);
    const COLORREF outline = colour_ref(settings.outline_colour);
    for (const CrosshairShape& shape : shapes.shapes()) {
        paint_shape(canvas.dc(), shape, shape.ink == CrosshairInk::Outline ? outline : fill);
    }
    GdiFlush(); // GDI may batch: every stroke must be in the bits before they are read
    apply_overlay_alpha(canvas.pixels(), overlay_alpha(settings.opacity));
}

LRESULT CALLBACK overlay_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        return HTTRANSPARENT; // clicks go to whatever lies below
    default:
        return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

struct Overlay {
    HWND hwnd = nullptr;
    bool class_registered = false;
    Canvas canvas;
};
Overlay& overlay() {
    static Overlay instance;
    return instance;
}

bool ensure_window(Overlay& o) {
    if (o.hwnd) {
        return true;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!o.class_registered) {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = overlay_procedure;
        window_class.hInstance = instance;
        window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        window_class.lpszClassName = kOverlayClass;
        o.class_registered = RegisterClassExW(&window_class) != 0;
        if (!o.class_registered) {
            return false;
        }
    }
    o.hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_LAYERED |
                                 WS_EX_NOACTIVATE,
                             kOverlayClass, L"", WS_POPUP, 0, 0, kCrosshairCanvas, kCrosshairCanvas, nullptr,
                             nullptr, instance, nullptr);
    return o.hwnd != nullptr; // retried next frame when it failed
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
    return {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
}

// centre + offset + round(kick) - 180, in 64 bits and held inside the int range: a hand-edited
// offset must not wrap the window to the far side of the desktop.
int window_origin(long centre, int offset, float kick) {
    const double sum = static_cast<double>(centre) + offset + saturating_round(kick) - kCrosshairCentre;
    return static_cast<int>(std::clamp(sum, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

void show_and_draw(Overlay& o, const CrosshairSettings& settings, const CrosshairMotion& motion) {
    if (!ensure_window(o) || !o.canvas.ready()) {
        return;
    }
    const POINT centre = rest_centre(settings);
    const POINT at{window_origin(centre.x, settings.offset_x, motion.kick_x),
                   window_origin(centre.y, settings.offset_y, motion.kick_y)};
    SetWindowPos(o.hwnd, HWND_TOPMOST, at.x, at.y, kCrosshairCanvas, kCrosshairCanvas, SWP_NOACTIVATE);

    const CrosshairShapeList shapes =
        crosshair_shapes(settings, crosshair_measures(settings, motion),
                         {static_cast<double>(kCrosshairCentre), static_cast<double>(kCrosshairCentre)},
                         CrosshairGrid::Pixels);
    paint_canvas(o.canvas, settings, shapes);

    win32::ScreenDc screen;
    SIZE size{kCrosshairCanvas, kCrosshairCanvas};
    POINT source{0, 0};
    POINT destination = at;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(o.hwnd, screen.get(), &destination, &size, o.canvas.dc(), &source, 0, &blend,
                        ULW_ALPHA);
    if (!IsWindowVisible(o.hwnd)) {
        ShowWindow(o.hwnd, SW_SHOWNOACTIVATE);
    }
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
    Overlay& o = overlay();
    if (settings.enabled) {
        show_and_draw(o, settings, motion);
    } else if (o.hwnd && IsWindowVisible(o.hwnd)) {
        ShowWindow(o.hwnd, SW_HIDE);
    }
}

void destroy_crosshair_overlay() {
    Overlay& o = overlay();
    o.canvas.release();
    if (o.hwnd) {
        DestroyWindow(o.hwnd);
        o.hwnd = nullptr;
    }
}

std::vector<std::uint32_t> render_crosshair_canvas(const CrosshairSettings& settings,
                                                   const CrosshairShapeList& shapes) {
    Canvas canvas;
    if (!canvas.ready()) {
        return {};
    }
    paint_canvas(canvas, settings, shapes);
    return {canvas.pixels().begin(), canvas.pixels().end()};
}

CrosshairWindowFacts crosshair_window_facts() {
    CrosshairWindowFacts facts;
    HWND hwnd = overlay().hwnd;
    if (!hwnd) {
        return facts;
    }
    facts.exists = true;
    facts.visible = IsWindowVisible(hwnd) != FALSE;
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    facts.x = rect.left;
    facts.y = rect.top;
    facts.width = rect.right - rect.left;
    facts.height = rect.bottom - rect.top;
    const LONG_PTR ex_style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    facts.topmost = (ex_style & WS_EX_TOPMOST) != 0;
    facts.layered = (ex_style & WS_EX_LAYERED) != 0;
    const LRESULT hit = SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(rect.left + 180, rect.top + 180));
    facts.click_through = (ex_style & WS_EX_TRANSPARENT) != 0 && hit == HTTRANSPARENT;
    return facts;
}

} // namespace tavrine
