#pragma once
// Paints a crosshair shape list straight into the overlay's 360 x 360 canvas of premultiplied
// 0xAARRGGBB pixels, with no GDI in between. Every shape is a filled rectangle, a filled
// polygon (a turned rectangle), a ring or a disc, so writing the pixels is short and costs
// microseconds, where a GDI fill and a pass over the whole canvas cost milliseconds under Wine.
// Coverage decides visibility, not colour: every pixel a shape covers gets the overlay's alpha
// whatever its colour (a black outline shows), every other pixel stays fully transparent.

#include "overlays/crosshair.h"
#include "overlays/crosshair_shapes.h"

#include <cstdint>
#include <span>

namespace tavrine {

// A rectangle of canvas pixels, [left, right) x [top, bottom); empty when right <= left.
struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    bool operator==(const PixelBox&) const = default;
};

// The two premultiplied colours one frame paints with.
struct CrosshairInks {
    std::uint32_t fill = 0;
    std::uint32_t outline = 0;
    bool operator==(const CrosshairInks&) const = default;
};
CrosshairInks crosshair_inks(const CrosshairSettings& settings);

// The pixels `shapes` can touch, within the canvas.
PixelBox crosshair_bounds(const CrosshairShapeList& shapes);
PixelBox box_union(const PixelBox& a, const PixelBox& b);

// Makes `box` of a kCrosshairCanvas-wide canvas fully transparent.
void clear_canvas_box(std::span<std::uint32_t> canvas, const PixelBox& box);
// Paints `shapes` in order (later shapes cover earlier ones) over a canvas that is transparent
// wherever they reach.
void paint_crosshair(std::span<std::uint32_t> canvas, const CrosshairShapeList& shapes,
                     const CrosshairInks& inks);

} // namespace tavrine
