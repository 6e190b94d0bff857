#include "overlays/crosshair_raster.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tavrine {

namespace {

constexpr int kSide = kCrosshairCanvas;

// Shape coordinates are cut a few thousand pixels from the centre, so they fit an int.
int whole(double value) {
    return static_cast<int>(std::lround(value));
}

PixelBox clip(PixelBox box) {
    box.left = std::clamp(box.left, 0, kSide);
    box.top = std::clamp(box.top, 0, kSide);
    box.right = std::clamp(box.right, 0, kSide);
    box.bottom = std::clamp(box.bottom, 0, kSide);
    return box;
}

// The pixels a shape may cover, before clipping: GDI's integer placement, as the overlay
// painted it before (a rectangle from its rounded corners, a circle on its rounded centre).
PixelBox reach(const CrosshairShape& shape) {
    switch (shape.kind) {
    case CrosshairShapeKind::Quad: {
        if (shape.upright) {
            return {whole(shape.corners[0].x), whole(shape.corners[0].y), whole(shape.corners[2].x),
                    whole(shape.corners[2].y)};
        }
        PixelBox box{kSide * 16, kSide * 16, -kSide * 16, -kSide * 16};
        for (const CrosshairPoint& p : shape.corners) {
            box.left = std::min(box.left, whole(p.x));
            box.top = std::min(box.top, whole(p.y));
            box.right = std::max(box.right, whole(p.x) + 1);
            box.bottom = std::max(box.bottom, whole(p.y) + 1);
        }
        return box;
    }
    case CrosshairShapeKind::Ring:
    case CrosshairShapeKind::Disc: {
        const int x = whole(shape.centre.x);
        const int y = whole(shape.centre.y);
        const double outer =
            shape.radius + (shape.kind == CrosshairShapeKind::Ring ? shape.pen / 2 : 0.0) + 1;
        const int r = static_cast<int>(std::ceil(std::min(outer, 8192.0)));
        return {x - r, y - r, x + r + 1, y + r + 1};
    }
    }
    return {};
}

// A turned rectangle: the pixels whose centres lie inside the polygon of its rounded corners
// (even-odd crossings along each row, as GDI's polygon fill counts them).
void fill_polygon(std::span<std::uint32_t> canvas, const CrosshairShape& shape, const PixelBox& box,
                  std::uint32_t ink) {
    double xs[4];
    double ys[4];
    for (std::size_t i = 0; i < 4; ++i) {
        xs[i] = whole(shape.corners[i].x);
        ys[i] = whole(shape.corners[i].y);
    }
    for (int y = box.top; y < box.bottom; ++y) {
        const double sy = y + 0.5;
        double cuts[4];
        int count = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const std::size_t j = (i + 1) % 4;
            if ((ys[i] <= sy) != (ys[j] <= sy)) {
                cuts[count++] = xs[i] + (sy - ys[i]) * (xs[j] - xs[i]) / (ys[j] - ys[i]);
            }
        }
        // At most four crossings: an insertion sort (std::sort trips a false array-bounds warning).
        for (int a = 1; a < count; ++a) {
            for (int b = a; b > 0 && cuts[b] < cuts[b - 1]; --b) {
                std::swap(cuts[b], cuts[b - 1]);
            }
        }
        for (int k = 0; k + 1 < count; k += 2) {
            // Pixel x is inside when its centre x + 0.5 lies in [cut, next cut).
            const int from = std::max(box.left, static_cast<int>(std::ceil(cuts[k] - 0.5)));
            const int to = std::min(box.right, static_cast<int>(std::ceil(cuts[k + 1] - 0.5)));
            std::uint32_t* row = canvas.data() + static_cast<std::size_t>(y) * kSide;
            for (int x = from; x < to; ++x) {
                row[x] = ink;
            }
        }
    }
}

// A ring of pen width `pen` centred on the circle through the outermost pixels of GDI's
// ellipse box (x - r, y - r, x + r + 1, y + r + 1), or the disc inside it.
void fill_round(std::span<std::uint32_t> canvas, const CrosshairShape& shape, const PixelBox& box,
                std::uint32_t ink) {
    const double cx = whole(shape.centre.x);
    const double cy = whole(shape.centre.y);
    const double r = whole(shape.radius);
    double inner2 = -1.0;
    double outer2 = 0.0;
    if (shape.kind == CrosshairShapeKind::Ring) {
        const double half = std::max(1.0, static_cast<double>(whole(shape.pen))) / 2;
        const double inner = r - half;
        inner2 = inner > 0 ? inner * inner : -1.0;
        outer2 = (r + half) * (r + half);
    } else {
        outer2 = r * r + r; // the pixels a midpoint circle of radius r encloses
    }
    for (int y = box.top; y < box.bottom; ++y) {
        const double dy = y - cy;
        std::uint32_t* row = canvas.data() + static_cast<std::size_t>(y) * kSide;
        for (int x = box.left; x < box.right; ++x) {
            const double dx = x - cx;
            const double d2 = dx * dx + dy * dy;
            if (d2 <= outer2 && d2 >= inner2) {
                row[x] = ink;
            }
        }
    }
}

std::uint32_t premultiplied(const CrosshairColour& colour, std::uint32_t alpha) {
    const std::uint32_t r = colour_byte(colour[0]) * alpha / 255;
    const std::uint32_t g = colour_byte(colour[1]) * alpha / 255;
    const std::uint32_t b = colour_byte(colour[2]) * alpha / 255;
    return (alpha << 24) | (r << 16) | (g << 8) | b;
}

} // namespace

CrosshairInks crosshair_inks(const CrosshairSettings& settings) {
    const std::uint32_t alpha = overlay_alpha(settings.opacity);
    return {premultiplied(settings.colour, alpha), premultiplied(settings.outline_colour, alpha)};
}

PixelBox crosshair_bounds(const CrosshairShapeList& shapes) {
    PixelBox all;
    for (const CrosshairShape& shape : shapes.shapes()) {
        all = box_union(all, clip(reach(shape)));
    }
    return all;
}

PixelBox box_union(const PixelBox& a, const PixelBox& b) {
    if (a.empty()) {
        return b;
    }
    if (b.empty()) {
        return a;
    }
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

void clear_canvas_box(std::span<std::uint32_t> canvas, const PixelBox& box) {
    const PixelBox b = clip(box);
    if (b.empty() || canvas.size() < static_cast<std::size_t>(kSide) * kSide) {
        return;
    }
    for (int y = b.top; y < b.bottom; ++y) {
        std::uint32_t* row = canvas.data() + static_cast<std::size_t>(y) * kSide;
        std::fill(row + b.left, row + b.right, 0u);
    }
}

void paint_crosshair(std::span<std::uint32_t> canvas, const CrosshairShapeList& shapes,
                     const CrosshairInks& inks) {
    if (canvas.size() < static_cast<std::size_t>(kSide) * kSide) {
        return;
    }
    for (const CrosshairShape& shape : shapes.shapes()) {
        const std::uint32_t ink = shape.ink == CrosshairInk::Outline ? inks.outline : inks.fill;
        const PixelBox box = clip(reach(shape));
        if (box.empty()) {
            continue;
        }
        if (shape.kind == CrosshairShapeKind::Quad && shape.upright) {
            for (int y = box.top; y < box.bottom; ++y) {
                std::uint32_t* row = canvas.data() + static_cast<std::size_t>(y) * kSide;
                std::fill(row + box.left, row + box.right, ink);
            }
        } else if (shape.kind == CrosshairShapeKind::Quad) {
            fill_polygon(canvas, shape, box, ink);
        } else {
            fill_round(canvas, shape, box, ink);
        }
    }
}

} // namespace tavrine
