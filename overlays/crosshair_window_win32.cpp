// The crosshair overlay window: a click-through, topmost, layered popup of 360 x 360 pixels,
// repainted every frame with GDI from the shape list and pushed with per-pixel alpha.
#include "overlays/crosshair.h"
#include "overlays/crosshair_canvas.h"
#include "overlays/crosshair_motion.h"
#include "overlays/crosshair_shapes.h"
#include "platform/win32_handles.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <span>
#include <system_error>
#include <thread>

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

// What one push shows: everything the overlay thread needs, copied whole from the main thread.
struct OverlayFrame {
    bool shown = false;
    CrosshairShapeList shapes;
    COLORREF fill = 0;
    COLORREF outline = 0;
    std::uint8_t alpha = 0;
    POINT at{};
    bool operator==(const OverlayFrame& other) const {
        return shown == other.shown && shapes == other.shapes && fill == other.fill &&
               outline == other.outline && alpha == other.alpha && at.x == other.at.x && at.y == other.at.y;
    }
};

OverlayFrame frame_for(const CrosshairSettings& settings, const CrosshairShapeList& shapes) {
    OverlayFrame frame;
    frame.shown = true;
    frame.shapes = shapes;
    frame.fill = colour_ref(settings.colour);
    frame.outline = colour_ref(settings.outline_colour);
    frame.alpha = overlay_alpha(settings.opacity);
    return frame;
}

// The canvas as the overlay pushes it: cleared to "untouched", the shapes painted, the alpha pass.
void paint_canvas(Canvas& canvas, const OverlayFrame& frame) {
    GdiFlush(); // nothing of an earlier frame may land after the clear
    std::fill(canvas.pixels().begin(), canvas.pixels().end(), kCrosshairUntouched);
    for (const CrosshairShape& shape : frame.shapes.shapes()) {
        paint_shape(canvas.dc(), shape, shape.ink == CrosshairInk::Outline ? frame.outline : frame.fill);
    }
    GdiFlush(); // GDI may batch: every stroke must be in the bits before they are read
    apply_overlay_alpha(canvas.pixels(), frame.alpha);
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

bool register_class_once() {
    static const bool registered = [] {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = overlay_procedure;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        window_class.lpszClassName = kOverlayClass;
        return RegisterClassExW(&window_class) != 0;
    }();
    return registered;
}

// The overlay window lives on a thread of its own. Under Wine one UpdateLayeredWindow costs a
// few milliseconds whatever the size, a fifth of a frame: the main thread only publishes what
// to show and this thread paints and pushes it. It owns the window, the canvas and a message
// loop (the system sends the window WM_NCHITTEST while routing clicks, and must get an answer).
class OverlayThread {
public:
    // Main thread: the latest frame replaces any the overlay thread has not taken yet.
    void publish(const OverlayFrame& frame) {
        {
            std::lock_guard<std::mutex> hold(frame_lock_);
            if (!started_ && !start()) {
                return;
            }
            pending_ = frame;
            ++published_;
        }
        SetEvent(wake_.get());
    }
    // Blocks until every published frame has been pushed (tests and the benchmark).
    void wait_idle() {
        std::unique_lock<std::mutex> hold(frame_lock_);
        done_changed_.wait(hold, [this] { return !started_ || pushed_ == published_; });
    }
    void stop() {
        {
            std::lock_guard<std::mutex> hold(frame_lock_);
            if (!started_) {
                return;
            }
            stopping_ = true;
        }
        SetEvent(wake_.get());
        thread_.join();
        std::lock_guard<std::mutex> hold(frame_lock_);
        started_ = false;
        stopping_ = false;
    }
    HWND window() const { return window_.load(); }
    bool started() {
        std::lock_guard<std::mutex> hold(frame_lock_);
        return started_;
    }

private:
    // Under frame_lock_.
    bool start() {
        if (!wake_) {
            wake_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        }
        if (!wake_) {
            return false;
        }
        try {
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            return false; // tried again with the next frame
        }
        started_ = true;
        return true;
    }

    void run() {
        Canvas canvas;
        OverlayFrame last;
        bool pushed_once = false;
        ULONGLONG topmost_at = 0;
        for (;;) {
            HANDLE wake = wake_.get();
            MsgWaitForMultipleObjects(1, &wake, FALSE, INFINITE, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&msg);
            }
            OverlayFrame frame;
            std::uint64_t serial = 0;
            {
                std::lock_guard<std::mutex> hold(frame_lock_);
                if (stopping_) {
                    break;
                }
                frame = pending_;
                serial = published_;
            }
            if (!(pushed_once && frame == last) && show(frame, canvas, topmost_at)) {
                last = frame;
                pushed_once = true;
            }
            {
                std::lock_guard<std::mutex> hold(frame_lock_);
                pushed_ = serial;
            }
            done_changed_.notify_all();
        }
        canvas.release();
        if (HWND hwnd = window_.exchange(nullptr)) {
            DestroyWindow(hwnd);
        }
        {
            std::lock_guard<std::mutex> hold(frame_lock_);
            pushed_ = published_;
        }
        done_changed_.notify_all();
    }

    // False when the window or the canvas could not be made: the next frame tries again.
    bool show(const OverlayFrame& frame, Canvas& canvas, ULONGLONG& topmost_at) {
        HWND hwnd = window_.load();
        if (!frame.shown) {
            if (hwnd && IsWindowVisible(hwnd)) {
                ShowWindow(hwnd, SW_HIDE);
            }
            return true;
        }
        if (!hwnd) {
            if (!register_class_once()) {
                return false;
            }
            hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_LAYERED |
                                       WS_EX_NOACTIVATE,
                                   kOverlayClass, L"", WS_POPUP, 0, 0, kCrosshairCanvas, kCrosshairCanvas,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
            if (!hwnd) {
                return false;
            }
            window_.store(hwnd);
        }
        if (!canvas.ready()) {
            return false;
        }
        // Topmost again once a second, or when moved: a game that raised itself is covered again.
        const ULONGLONG now = GetTickCount64();
        RECT rect{};
        GetWindowRect(hwnd, &rect);
        if (rect.left != frame.at.x || rect.top != frame.at.y || now - topmost_at >= 1000) {
            SetWindowPos(hwnd, HWND_TOPMOST, frame.at.x, frame.at.y, kCrosshairCanvas, kCrosshairCanvas,
                         SWP_NOACTIVATE);
            topmost_at = now;
        }
        paint_canvas(canvas, frame);
        win32::ScreenDc screen;
        SIZE size{kCrosshairCanvas, kCrosshairCanvas};
        POINT source{0, 0};
        POINT destination = frame.at;
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(hwnd, screen.get(), &destination, &size, canvas.dc(), &source, 0, &blend,
                            ULW_ALPHA);
        if (!IsWindowVisible(hwnd)) {
            ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        }
        return true;
    }

    std::mutex frame_lock_; // pending_, the two serials and the start/stop flags
    std::condition_variable done_changed_;
    OverlayFrame pending_;
    std::uint64_t published_ = 0;
    std::uint64_t pushed_ = 0;
    bool started_ = false;
    bool stopping_ = false;
    win32::UniqueKernelHandle wake_;
    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
};

OverlayThread& overlay() {
    static OverlayThread instance;
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
    return {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
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
    OverlayThread& o = overlay();
    if (!settings.enabled) {
        if (o.started()) {
            o.publish(OverlayFrame{}); // hidden, not destroyed; an unchanged frame costs no push
        }
        return;
    }
    OverlayFrame frame = frame_for(settings, crosshair_shapes(settings, crosshair_measures(settings, motion),
                                                              {static_cast<double>(kCrosshairCentre),
                                                               static_cast<double>(kCrosshairCentre)},
                                                              CrosshairGrid::Pixels));
    const POINT centre = rest_centre(settings);
    frame.at = {window_origin(centre.x, settings.offset_x, motion.kick_x),
                window_origin(centre.y, settings.offset_y, motion.kick_y)};
    o.publish(frame);
}

void destroy_crosshair_overlay() {
    overlay().stop();
}

void wait_for_crosshair_overlay() {
    overlay().wait_idle();
}

std::vector<std::uint32_t> render_crosshair_canvas(const CrosshairSettings& settings,
                                                   const CrosshairShapeList& shapes) {
    Canvas canvas;
    if (!canvas.ready()) {
        return {};
    }
    paint_canvas(canvas, frame_for(settings, shapes));
    return {canvas.pixels().begin(), canvas.pixels().end()};
}

CrosshairWindowFacts crosshair_window_facts() {
    CrosshairWindowFacts facts;
    HWND hwnd = overlay().window();
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
