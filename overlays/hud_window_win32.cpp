// The HUD panel on screen: a topmost, click-through layered window on the overlay thread
// (overlays/layered_overlay.h). The panel's content comes whole from build_hud_panel; this
// file only paints it.
#include "overlays/hud_window_win32.h"

#include "overlays/layered_overlay.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_wide_text.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

namespace tavrine {

namespace {

COLORREF colour_ref(HudColour colour) {
    return RGB(colour.r, colour.g, colour.b);
}

void fill(HDC dc, RECT rect, HudColour colour) {
    win32::UniqueGdiObject brush(CreateSolidBrush(colour_ref(colour)));
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
}

HGDIOBJ make_font(int height, int weight, const wchar_t* face) {
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
}

// The GPU name is UTF-8; every other line is ASCII.
void draw_text(HDC dc, int x, int y, const std::string& text) {
    const std::optional<std::wstring> wide = win32::wide_from_utf8(text);
    if (!wide || wide->empty()) {
        return;
    }
    TextOutW(dc, x, y, wide->c_str(), static_cast<int>(wide->size()));
}

// One panel, painted on the overlay thread: black, the background, the accent strip, the
// lines, then the alpha pass.
class HudPicture final : public LayeredPicture {
public:
    explicit HudPicture(HudPanel panel) : panel_(std::move(panel)) {}
    int width() const override { return panel_.width; }
    int height() const override { return panel_.height; }
    void paint(const LayeredCanvas& canvas) const override {
        HDC dc = static_cast<HDC>(canvas.dc);
        std::memset(canvas.pixels.data(), 0, canvas.pixels.size_bytes());
        fill(dc, {0, 0, panel_.width, panel_.height}, kHudBackground);
        fill(dc, {0, 0, panel_.accent_width, panel_.height}, kHudAccent);
        win32::UniqueGdiObject title(make_font(panel_.title_font_height, 700, L"Segoe UI"));
        win32::UniqueGdiObject body(make_font(panel_.body_font_height, 600, L"Consolas"));
        SetBkMode(dc, TRANSPARENT);
        for (const HudText& text : panel_.texts) {
            win32::SelectedObject font(dc, text.font == HudFont::Title ? title.get() : body.get());
            SetTextColor(dc, colour_ref(text.colour));
            draw_text(dc, text.x, text.y, text.text);
        }
        GdiFlush(); // GDI may batch: every glyph must be in the bits before they are read
        apply_hud_alpha(canvas.pixels, panel_.alpha);
    }
    bool same_as(const LayeredPicture& other) const override {
        const auto* o = dynamic_cast<const HudPicture*>(&other);
        return o && o->panel_ == panel_;
    }

private:
    HudPanel panel_;
};

class Win32HudWindow final : public HudWindow {
public:
    bool exists() override { return created_; }
    // The window itself is made by the overlay thread with the first panel (and made again
    // there at the next wake when that fails).
    bool create() override { return created_ = true; }
    int screen_width() override { return primary_screen_size().width; }
    int screen_height() override { return primary_screen_size().height; }
    void present(const HudPanel& panel) override {
        if (panel.width <= 0 || panel.height <= 0) {
            return;
        }
        overlay_.publish({true, panel.x, panel.y, std::make_shared<HudPicture>(panel)});
    }
    void hide() override { overlay_.hide(); }
    void destroy() override {
        overlay_.stop();
        created_ = false;
    }
    void wait() { overlay_.wait_idle(); }
    LayeredWindowFacts facts() { return overlay_.facts(); }

private:
    LayeredOverlay overlay_{L"TavrineHudOverlay"};
    bool created_ = false;
};

Win32HudWindow& instance() {
    static Win32HudWindow window;
    return window;
}

} // namespace

HudWindow& win32_hud_window() {
    return instance();
}

void wait_for_hud_window() {
    instance().wait();
}

LayeredWindowFacts hud_window_facts() {
    return instance().facts();
}

} // namespace tavrine
