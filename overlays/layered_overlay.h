#pragma once
// A click-through, topmost, layered window on a thread of its own, shared by the crosshair and
// the HUD. Under Wine one UpdateLayeredWindow costs milliseconds whatever the size, a large
// share of a frame: the main thread only publishes what to show (whole, under a small lock),
// and the overlay thread owns the window, the canvas and a message loop (the system sends the
// window WM_NCHITTEST while routing clicks and must get an answer). It pushes only when the
// frame changed and puts the window back on top once a second, so a game that raised itself is
// covered again. No <windows.h> here: the device context is passed as an opaque pointer.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tavrine {

class LayeredPicture;

// What a picture paints into: a top-down 32-bit canvas of the picture's size, selected into
// the GDI device context `dc` (an HDC). The canvas is kept from one frame to the next:
// `previous` is the picture it holds (null when its content is unknown), so a picture may
// repaint only where the two differ.
struct LayeredCanvas {
    void* dc = nullptr;
    std::span<std::uint32_t> pixels;
    int width = 0;
    int height = 0;
    const LayeredPicture* previous = nullptr;
};

// One still picture of the overlay, painted on the overlay thread. Never changed once published.
class LayeredPicture {
public:
    virtual ~LayeredPicture() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Paints the canvas over `canvas.previous` (the whole canvas when that is null) and leaves
    // premultiplied pixels.
    virtual void paint(const LayeredCanvas& canvas) const = 0;
    // True when `other` would paint the same pixels: the push is skipped.
    virtual bool same_as(const LayeredPicture& other) const = 0;
};

struct LayeredFrame {
    bool shown = false; // false hides the window (it is kept for the next frame shown)
    int x = 0;          // screen position of the top-left corner
    int y = 0;
    std::shared_ptr<const LayeredPicture> picture; // required when shown
};

struct LayeredWindowFacts {
    bool exists = false;
    bool visible = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool topmost = false;
    bool layered = false;
    bool click_through = false; // WS_EX_TRANSPARENT and WM_NCHITTEST answers HTTRANSPARENT
};

// What the overlay thread spent on the frames it pushed (the benchmark): painting the canvas,
// and UpdateLayeredWindow on its own, which under Wine costs what it costs.
struct LayeredOverlayTimes {
    std::uint64_t frames = 0;
    double paint_micros = 0;
    double push_micros = 0;
};

class LayeredOverlay {
public:
    // `class_name`: the window class, registered once per process. Must outlive the overlay.
    explicit LayeredOverlay(const wchar_t* class_name);
    ~LayeredOverlay();
    LayeredOverlay(const LayeredOverlay&) = delete;
    LayeredOverlay& operator=(const LayeredOverlay&) = delete;

    // Main thread: the latest frame replaces any the overlay thread has not taken yet. Starts the
    // thread on first use (retried with the next frame when it cannot start).
    void publish(LayeredFrame frame);
    // Hides the window when the thread runs; does nothing (starts nothing) otherwise.
    void hide();
    // Ends the thread, which destroys the window. Waits while still answering messages sent to
    // the calling thread, so a send from the overlay thread cannot deadlock the exit.
    void stop();
    bool running();
    // Blocks until every published frame is on the screen (tests and benchmarks).
    void wait_idle();
    LayeredWindowFacts facts();
    LayeredOverlayTimes times();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The primary screen's size, asked once and then kept up to date from WM_DISPLAYCHANGE (under
// Wine each GetSystemMetrics is a round trip to the server).
struct ScreenSize {
    int width = 0;
    int height = 0;
};
ScreenSize primary_screen_size();

// Paints `picture` on a fresh canvas on the calling thread: the premultiplied 0xAARRGGBB
// pixels the overlay would push, row by row from the top. Empty when GDI gives no canvas.
std::vector<std::uint32_t> render_layered_picture(const LayeredPicture& picture);

} // namespace tavrine
