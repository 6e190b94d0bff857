// The HUD panel on screen: a topmost, click-through layered window. The panel's content comes
// whole from build_hud_panel; this file only paints it.
#include "overlays/hud_window_win32.h"

#include "platform/win32_handles.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <future>
#include <mutex>
#include <string>
#include <thread>

namespace tavrine {

namespace {

constexpr char kClassName[] = "TavrineHudOverlay";

struct GdiObjectTraits {
    static HGDIOBJ invalid() { return nullptr; }
    static void close(HGDIOBJ object) { DeleteObject(object); }
};
struct MemoryDcTraits {
    static HDC invalid() { return nullptr; }
    static void close(HDC dc) { DeleteDC(dc); }
};
using UniqueGdiObject = win32::UniqueHandle<HGDIOBJ, GdiObjectTraits>;
using UniqueMemoryDc = win32::UniqueHandle<HDC, MemoryDcTraits>;

// The screen's DC, released when it goes.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) {
            ReleaseDC(nullptr, dc_);
        }
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back, so it can be deleted after.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The primary screen's size, asked once and then kept from WM_DISPLAYCHANGE: every redraw
// needs it, and under Wine each GetSystemMetrics is a round trip costing about a millisecond.
// Written on the window's thread, read on the main thread.
struct ScreenSize {
    std::atomic<int> width{0};
    std::atomic<int> height{0};
    void set(int w, int h) {
        width.store(w);
        height.store(h);
    }
};
ScreenSize screen_size;

// Never activated, never hit: every click goes to the window below.
LRESULT CALLBACK overlay_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_DISPLAYCHANGE:
        screen_size.set(LOWORD(lparam), HIWORD(lparam));
        return 0;
    case WM_PAINT:
        ValidateRect(hwnd, nullptr); // the content is pushed with UpdateLayeredWindow
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    default:
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}

COLORREF colour_ref(HudColour colour) {
    return RGB(colour.r, colour.g, colour.b);
}

void fill(HDC dc, RECT rect, HudColour colour) {
    UniqueGdiObject brush(CreateSolidBrush(colour_ref(colour)));
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
}

HGDIOBJ make_font(int height, int weight, const char* face) {
    return CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
}

// The GPU name is UTF-8; every other line is ASCII.
void draw_text(HDC dc, int x, int y, const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) {
        return;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    TextOutW(dc, x, y, wide.c_str(), length);
}

void paint_texts(HDC dc, const HudPanel& panel) {
    UniqueGdiObject title(make_font(panel.title_font_height, 700, "Segoe UI"));
    UniqueGdiObject body(make_font(panel.body_font_height, 600, "Consolas"));
    SetBkMode(dc, TRANSPARENT);
    for (const HudText& text : panel.texts) {
        Selection font(dc, text.font == HudFont::Title ? title.get() : body.get());
        SetTextColor(dc, colour_ref(text.colour));
        draw_text(dc, text.x, text.y, text.text);
    }
}

// Paints the panel into a fresh DIB section and pushes it to the layered window.
void paint_and_push(HWND hwnd, const HudPanel& panel) {
    if (panel.width <= 0 || panel.height <= 0) {
        return;
    }
    ScreenDc screen;
    UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    if (!memory) {
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = panel.width;
    info.bmiHeader.biHeight = -panel.height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueGdiObject bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
        return;
    }
    const std::size_t pixel_count =
        static_cast<std::size_t>(panel.width) * static_cast<std::size_t>(panel.height);
    {
        Selection bitmap_in(memory.get(), bitmap.get());
        std::memset(bits, 0, pixel_count * 4);
        fill(memory.get(), {0, 0, panel.width, panel.height}, kHudBackground);
        fill(memory.get(), {0, 0, panel.accent_width, panel.height}, kHudAccent);
        paint_texts(memory.get(), panel);
        GdiFlush();
        apply_hud_alpha({static_cast<std::uint32_t*>(bits), pixel_count}, panel.alpha);

        POINT position{panel.x, panel.y};
        SIZE size{panel.width, panel.height};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(hwnd, screen.get(), &position, &size, memory.get(), &source, 0, &blend,
                            ULW_ALPHA);
    }
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
}

constexpr UINT kPresentMessage = WM_APP + 1;
constexpr UINT kHideMessage = WM_APP + 2;

// The panel's window lives on a thread of its own: painting and above all UpdateLayeredWindow
// (several milliseconds under Wine) never hold up the frame. The main thread hands over whole
// panels through one small lock and posts a message; the window thread paints the latest one.
class Win32HudWindow final : public HudWindow {
public:
    ~Win32HudWindow() override {
        // Only at process exit without destroy(): the thread may already be gone with the process.
        if (thread_.joinable()) {
            thread_.detach();
        }
    }

    bool exists() override { return hwnd_.load() != nullptr; }

    bool create() override {
        if (thread_.joinable()) {
            thread_.join(); // a window thread that failed to create its window has ended
        }
        std::promise<bool> created;
        std::future<bool> answer = created.get_future();
        thread_ = std::thread([this, &created] { run(created); });
        if (!answer.get()) {
            thread_.join();
            return false;
        }
        return true;
    }

    int screen_width() override { return screen_size.width.load(); }
    int screen_height() override { return screen_size.height.load(); }

    void present(const HudPanel& panel) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            latest_ = panel;
        }
        PostThreadMessageA(thread_id_, kPresentMessage, 0, 0);
    }

    void hide() override { PostThreadMessageA(thread_id_, kHideMessage, 0, 0); }

    void destroy() override {
        if (!thread_.joinable()) {
            return;
        }
        PostThreadMessageA(thread_id_, WM_QUIT, 0, 0);
        thread_.join();
        hwnd_.store(nullptr);
    }

private:
    void run(std::promise<bool>& created) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // the queue exists before anyone posts
        thread_id_ = GetCurrentThreadId();
        HWND hwnd = make_window();
        hwnd_.store(hwnd);
        created.set_value(hwnd != nullptr);
        if (!hwnd) {
            return;
        }
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.hwnd == nullptr && msg.message == kPresentMessage) {
                HudPanel panel;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    panel = latest_;
                }
                paint_and_push(hwnd, panel);
            } else if (msg.hwnd == nullptr && msg.message == kHideMessage) {
                ShowWindow(hwnd, SW_HIDE);
            } else {
                DispatchMessageA(&msg);
            }
        }
        DestroyWindow(hwnd);
    }

    HWND make_window() {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        if (!class_registered_.load()) {
            WNDCLASSEXA window_class{};
            window_class.cbSize = sizeof window_class;
            window_class.lpfnWndProc = overlay_procedure;
            window_class.hInstance = instance;
            window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
            window_class.lpszClassName = kClassName;
            class_registered_.store(RegisterClassExA(&window_class) != 0);
        }
        screen_size.set(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        return CreateWindowExA(WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_LAYERED |
                                   WS_EX_NOACTIVATE,
                               kClassName, "", WS_POPUP, 0, 0, 340, 240, nullptr, nullptr, instance, nullptr);
    }

    std::thread thread_;
    DWORD thread_id_ = 0; // written by the window thread before it answers create()
    std::atomic<HWND> hwnd_{nullptr};
    std::atomic<bool> class_registered_{false};
    std::mutex mutex_; // guards latest_
    HudPanel latest_;
};

} // namespace

HudWindow& win32_hud_window() {
    static Win32HudWindow window;
    return window;
}

} // namespace tavrine
