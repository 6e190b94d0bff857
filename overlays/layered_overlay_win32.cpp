// The overlay thread behind the crosshair and the HUD windows: it owns a layered, topmost,
// click-through popup and a canvas, and pushes the latest published frame when it changed.
#include "overlays/layered_overlay.h"

#include "platform/win32/win32_handles.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>

namespace tavrine {

namespace {

// How often a shown window is put back on top, in milliseconds.
constexpr DWORD kTopmostPeriodMs = 1000;

// The primary screen, packed as width << 32 | height; 0 until first asked.
std::atomic<std::uint64_t> screen_packed{0};

void store_screen(int width, int height) {
    screen_packed.store((static_cast<std::uint64_t>(static_cast<std::uint32_t>(width)) << 32) |
                        static_cast<std::uint32_t>(height));
}

// A 32-bit top-down DIB selected into its own memory DC, kept while the size stays the same.
class Canvas {
public:
    ~Canvas() { release(); }
    bool ready(int width, int height) {
        if (bits_ && width == width_ && height == height_) {
            return true;
        }
        release();
        if (width <= 0 || height <= 0) {
            return false;
        }
        win32::ScreenDc screen;
        dc_.reset(CreateCompatibleDC(screen.get()));
        if (!dc_) {
            return false;
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top-down
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
        width_ = width;
        height_ = height;
        return true;
    }
    void release() {
        if (previous_) {
            SelectObject(dc_.get(), previous_);
            previous_ = nullptr;
        }
        bits_ = nullptr;
        held_.reset();
        width_ = height_ = 0;
        bitmap_.reset();
        dc_.reset();
    }
    HDC dc() const { return dc_.get(); }
    // Paints `picture` over the one the canvas holds; GDI may batch, so it is flushed before and
    // after the pixels are touched.
    void paint(const std::shared_ptr<const LayeredPicture>& picture) {
        GdiFlush();
        picture->paint({dc_.get(),
                        {bits_, static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)},
                        width_,
                        height_,
                        held_.get()});
        GdiFlush();
        held_ = picture;
    }
    std::vector<std::uint32_t> pixels() const {
        return {bits_, bits_ + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)};
    }

private:
    win32::UniqueMemoryDc dc_;
    win32::UniqueGdiObject bitmap_;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    std::shared_ptr<const LayeredPicture> held_; // what the pixels show now
};

double micros_between(LARGE_INTEGER from, LARGE_INTEGER to) {
    static const double ticks_per_micro = [] {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1e6;
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) / ticks_per_micro;
}

// Never activated, never hit: every click goes to the window below.
LRESULT CALLBACK overlay_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_DISPLAYCHANGE:
        store_screen(LOWORD(lparam), HIWORD(lparam));
        return 0;
    case WM_PAINT:
        ValidateRect(hwnd, nullptr); // the content is pushed with UpdateLayeredWindow
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    default:
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

// Waits for `event` while answering messages other threads send to this one: a thread that
// waits blind for the overlay thread deadlocks as soon as that thread sends it a message.
void wait_answering_sends(HANDLE event) {
    for (;;) {
        const DWORD result = MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1) {
            return; // signalled, or the wait itself failed: nothing better to do than go on
        }
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE); // runs the sent ones
    }
}

bool same_frame(const LayeredFrame& a, const LayeredFrame& b) {
    if (a.shown != b.shown) {
        return false;
    }
    if (!a.shown) {
        return true;
    }
    if (a.x != b.x || a.y != b.y || !a.picture || !b.picture) {
        return false;
    }
    return a.picture == b.picture || a.picture->same_as(*b.picture);
}

} // namespace

struct LayeredOverlay::State {
    const wchar_t* class_name = nullptr;
    bool class_registered = false; // touched by the overlay thread only

    std::mutex lock; // pending, the two serials and the start/stop flags
    LayeredFrame pending;
    std::uint64_t published = 0;
    std::uint64_t taken = 0; // the serial the thread last copied
    std::uint64_t pushed = 0;
    bool waiter = false; // someone waits on caught_up
    bool started = false;
    bool stopping = false;
    win32::UniqueKernelHandle wake;      // auto-reset: a frame or the stop is waiting
    win32::UniqueKernelHandle caught_up; // manual: pushed == published, set for a waiter only
    win32::UniqueKernelHandle finished;  // manual: the thread has left its loop
    std::thread thread;
    std::atomic<HWND> window{nullptr};
    LayeredOverlayTimes times; // under `lock`

    // Under `lock`.
    bool start() {
        if (!wake) {
            wake.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
            caught_up.reset(CreateEventW(nullptr, TRUE, TRUE, nullptr));
            finished.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        }
        if (!wake || !caught_up || !finished) {
            return false;
        }
        ResetEvent(finished.get());
        try {
            thread = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            return false; // tried again with the next frame
        }
        started = true;
        return true;
    }

    void run() {
        Canvas canvas;
        LayeredFrame last;
        bool last_valid = false;
        ULONGLONG topmost_at = 0;
        for (;;) {
            HANDLE event = wake.get();
            MsgWaitForMultipleObjects(1, &event, FALSE, kTopmostPeriodMs, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&msg);
            }
            LayeredFrame frame;
            std::uint64_t serial = 0;
            {
                std::lock_guard<std::mutex> hold(lock);
                if (stopping) {
                    break;
                }
                frame = pending;
                serial = published;
                taken = serial;
            }
            // A frame that could not be shown (no window yet) is tried again at the next wake.
            if (!(last_valid && same_frame(frame, last)) && show(frame, canvas, topmost_at)) {
                last = std::move(frame);
                last_valid = true;
            }
            keep_on_top(topmost_at);
            {
                std::lock_guard<std::mutex> hold(lock);
                pushed = serial;
                if (waiter && pushed == published) {
                    waiter = false;
                    SetEvent(caught_up.get());
                }
            }
        }
        canvas.release();
        if (HWND hwnd = window.exchange(nullptr)) {
            DestroyWindow(hwnd);
        }
        SetEvent(finished.get());
    }

    // False when the window or the canvas could not be made.
    bool show(const LayeredFrame& frame, Canvas& canvas, ULONGLONG& topmost_at) {
        HWND hwnd = window.load();
        if (!frame.shown || !frame.picture) {
            if (hwnd && IsWindowVisible(hwnd)) {
                ShowWindow(hwnd, SW_HIDE);
            }
            return true;
        }
        const int width = frame.picture->width();
        const int height = frame.picture->height();
        if (!hwnd) {
            hwnd = create_window(frame.x, frame.y, width, height);
            if (!hwnd) {
                return false;
            }
            window.store(hwnd);
        }
        if (!canvas.ready(width, height)) {
            return false;
        }
        LARGE_INTEGER painting{};
        LARGE_INTEGER painted{};
        LARGE_INTEGER pushed_at{};
        QueryPerformanceCounter(&painting);
        canvas.paint(frame.picture);
        QueryPerformanceCounter(&painted);
        win32::ScreenDc screen;
        SIZE size{width, height};
        POINT source{0, 0};
        POINT destination{frame.x, frame.y};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(hwnd, screen.get(), &destination, &size, canvas.dc(), &source, 0, &blend,
                            ULW_ALPHA);
        QueryPerformanceCounter(&pushed_at);
        {
            std::lock_guard<std::mutex> hold(lock);
            ++times.frames;
            times.paint_micros += micros_between(painting, painted);
            times.push_micros += micros_between(painted, pushed_at);
        }
        if (!IsWindowVisible(hwnd)) {
            ShowWindow(hwnd, SW_SHOWNOACTIVATE);
            topmost_at = 0; // on top at once
        }
        return true;
    }

    void keep_on_top(ULONGLONG& topmost_at) {
        HWND hwnd = window.load();
        const ULONGLONG now = GetTickCount64();
        if (!hwnd || !IsWindowVisible(hwnd) || (topmost_at != 0 && now - topmost_at < kTopmostPeriodMs)) {
            return;
        }
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        topmost_at = now;
    }

    HWND create_window(int x, int y, int width, int height) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        if (!class_registered) {
            WNDCLASSEXW window_class{};
            window_class.cbSize = sizeof window_class;
            window_class.lpfnWndProc = overlay_procedure;
            window_class.hInstance = instance;
            window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
            window_class.lpszClassName = class_name;
            // Already registered (a window made and destroyed earlier in the process) is fine.
            class_registered =
                RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
            if (!class_registered) {
                return nullptr;
            }
        }
        return CreateWindowExW(
            WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE,
            class_name, L"", WS_POPUP, x, y, width, height, nullptr, nullptr, instance, nullptr);
    }

    // Each call into the Wine server costs the main thread: the wake is only signalled when the
    // thread has taken every earlier frame (otherwise it is signalled already and takes this one).
    void publish(LayeredFrame frame, bool start_if_needed) {
        bool wake_thread = false;
        {
            std::lock_guard<std::mutex> hold(lock);
            if (!started && (!start_if_needed || !start())) {
                return;
            }
            if (!frame.shown && !pending.shown) {
                return; // hidden already: nothing to wake the thread for
            }
            pending = std::move(frame);
            wake_thread = taken == published;
            ++published;
        }
        if (wake_thread) {
            SetEvent(wake.get());
        }
    }
};

LayeredOverlay::LayeredOverlay(const wchar_t* class_name) : state_(std::make_unique<State>()) {
    state_->class_name = class_name;
}

LayeredOverlay::~LayeredOverlay() {
    stop();
}

void LayeredOverlay::publish(LayeredFrame frame) {
    state_->publish(std::move(frame), true);
}

void LayeredOverlay::hide() {
    state_->publish(LayeredFrame{}, false);
}

void LayeredOverlay::stop() {
    State& s = *state_;
    {
        std::lock_guard<std::mutex> hold(s.lock);
        if (!s.started) {
            return;
        }
        s.stopping = true;
    }
    SetEvent(s.wake.get());
    wait_answering_sends(s.finished.get());
    s.thread.join();
    std::lock_guard<std::mutex> hold(s.lock);
    s.started = false;
    s.stopping = false;
    s.pushed = s.taken = s.published;
    s.pending = LayeredFrame{};
}

bool LayeredOverlay::running() {
    std::lock_guard<std::mutex> hold(state_->lock);
    return state_->started;
}

void LayeredOverlay::wait_idle() {
    State& s = *state_;
    {
        std::lock_guard<std::mutex> hold(s.lock);
        if (!s.started || s.pushed == s.published) {
            return;
        }
        s.waiter = true;
        ResetEvent(s.caught_up.get());
    }
    wait_answering_sends(s.caught_up.get());
}

LayeredWindowFacts LayeredOverlay::facts() {
    LayeredWindowFacts facts;
    HWND hwnd = state_->window.load();
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
    const LPARAM centre = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    const LRESULT hit = SendMessageW(hwnd, WM_NCHITTEST, 0, centre);
    facts.click_through = (ex_style & WS_EX_TRANSPARENT) != 0 && hit == HTTRANSPARENT;
    return facts;
}

LayeredOverlayTimes LayeredOverlay::times() {
    std::lock_guard<std::mutex> hold(state_->lock);
    return state_->times;
}

ScreenSize primary_screen_size() {
    std::uint64_t packed = screen_packed.load();
    if (packed == 0) {
        store_screen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        packed = screen_packed.load();
    }
    return {static_cast<int>(packed >> 32), static_cast<int>(packed & 0xFFFFFFFFu)};
}

std::vector<std::uint32_t> render_layered_picture(const LayeredPicture& picture) {
    Canvas canvas;
    if (!canvas.ready(picture.width(), picture.height())) {
        return {};
    }
    // Not owned: the canvas forgets it before this returns.
    canvas.paint(std::shared_ptr<const LayeredPicture>(&picture, [](const LayeredPicture*) {}));
    std::vector<std::uint32_t> pixels = canvas.pixels();
    canvas.release();
    return pixels;
}

} // namespace tavrine
