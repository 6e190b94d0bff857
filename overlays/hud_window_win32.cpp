// The HUD panel on screen: a topmost, click-through layered window. The panel's content comes
// whole from build_hud_panel; this file only paints it.
#include "overlays/hud_window_win32.h"

#include "platform/win32_handles.h"

#include <windows.h>

#include <cstring>
#include <string>

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
struct ScreenSize {
    int width = 0;
    int height = 0;
};
ScreenSize screen_size;

// Never activated, never hit: every click goes to the window below.
LRESULT CALLBACK overlay_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_DISPLAYCHANGE:
        screen_size = {LOWORD(lparam), HIWORD(lparam)};
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

class Win32HudWindow final : public HudWindow {
public:
    bool exists() override { return hwnd_ != nullptr; }

    bool create() override {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        if (!class_registered_) {
            WNDCLASSEXA window_class{};
            window_class.cbSize = sizeof window_class;
            window_class.lpfnWndProc = overlay_procedure;
            window_class.hInstance = instance;
            window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
            window_class.lpszClassName = kClassName;
            class_registered_ = RegisterClassExA(&window_class) != 0;
        }
        screen_size = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        hwnd_ = CreateWindowExA(
            WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE,
            kClassName, "", WS_POPUP, 0, 0, 340, 240, nullptr, nullptr, instance, nullptr);
        return hwnd_ != nullptr;
    }

    int screen_width() override { return screen_size.width; }
    int screen_height() override { return screen_size.height; }

    void present(const HudPanel& panel) override {
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
            UpdateLayeredWindow(hwnd_, screen.get(), &position, &size, memory.get(), &source, 0, &blend,
                                ULW_ALPHA);
        }
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    }

    void hide() override { ShowWindow(hwnd_, SW_HIDE); }

    void destroy() override {
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }

private:
    static void paint_texts(HDC dc, const HudPanel& panel) {
        UniqueGdiObject title(make_font(panel.title_font_height, 700, "Segoe UI"));
        UniqueGdiObject body(make_font(panel.body_font_height, 600, "Consolas"));
        SetBkMode(dc, TRANSPARENT);
        for (const HudText& text : panel.texts) {
            Selection font(dc, text.font == HudFont::Title ? title.get() : body.get());
            SetTextColor(dc, colour_ref(text.colour));
            draw_text(dc, text.x, text.y, text.text);
        }
    }

    HWND hwnd_ = nullptr;
    bool class_registered_ = false;
};

} // namespace

HudWindow& win32_hud_window() {
    static Win32HudWindow window;
    return window;
}

} // namespace tavrine
