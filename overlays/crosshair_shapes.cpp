#include "overlays/crosshair_shapes.h"

#include "overlays/crosshair_motion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavrine {

namespace {

// Shapes are cut to this distance from the centre: far outside any canvas, well inside what
// GDI and the draw list handle.
constexpr double kFar = 4096.0;

bool has_arms(int style) {
    return style == 0 || style == 3 || style == 4 || style == 5;
}
bool has_ring(int style) {
    return style == 2 || style == 4;
}
bool has_dot(int style, bool center_dot) {
    if (style == 1 || style == 3) {
        return true;
    }
    return style != 2 && style != 6 && center_dot;
}

class ShapeBuilder {
public:
    ShapeBuilder(CrosshairPoint centre, int rotation, double outline) : centre_(centre), outline_(outline) {
        const int turn = rotation % 360;
        upright_ = turn == 0;
        const double radians = static_cast<double>(turn) * std::numbers::pi / 180.0;
        cos_ = std::cos(radians);
        sin_ = std::sin(radians);
    }

    // (x, y, w, h) relative to the centre, with its outline first when there is one.
    void outlined_rect(double x, double y, double w, double h) {
        if (outline_ >= 1.0) {
            rect(x - outline_, y - outline_, w + 2 * outline_, h + 2 * outline_, CrosshairInk::Outline);
        }
        rect(x, y, w, h, CrosshairInk::Fill);
    }
    void ring(double radius, double pen) {
        if (outline_ >= 1.0) {
            circle(CrosshairShapeKind::Ring, radius + outline_, pen + outline_, CrosshairInk::Outline);
        }
        circle(CrosshairShapeKind::Ring, radius, pen, CrosshairInk::Fill);
    }
    void disc(double radius) {
        if (outline_ >= 1.0) {
            circle(CrosshairShapeKind::Disc, radius + outline_, 0.0, CrosshairInk::Outline);
        }
        circle(CrosshairShapeKind::Disc, radius, 0.0, CrosshairInk::Fill);
    }

    CrosshairShapeList list;

private:
    void rect(double x, double y, double w, double h, CrosshairInk ink) {
        if (!(w > 0 && h > 0)) {
            return;
        }
        const double x0 = std::clamp(x, -kFar, kFar);
        const double y0 = std::clamp(y, -kFar, kFar);
        const double x1 = std::clamp(x + w, -kFar, kFar);
        const double y1 = std::clamp(y + h, -kFar, kFar);
        CrosshairShape& shape = next();
        shape.kind = CrosshairShapeKind::Quad;
        shape.ink = ink;
        shape.upright = upright_;
        shape.corners = {place(x0, y0), place(x1, y0), place(x1, y1), place(x0, y1)};
    }
    void circle(CrosshairShapeKind kind, double radius, double pen, CrosshairInk ink) {
        if (radius - pen / 2 > kFar) {
            return; // the whole stroke lies beyond any canvas
        }
        CrosshairShape& shape = next();
        shape.kind = kind;
        shape.ink = ink;
        shape.centre = centre_;
        shape.radius = std::min(radius, kFar);
        shape.pen = std::min(pen, 2 * kFar);
    }
    // Turned about the centre (clockwise on screen, where y grows downwards).
    CrosshairPoint place(double x, double y) const {
        if (upright_) {
            return {centre_.x + x, centre_.y + y};
        }
        return {centre_.x + x * cos_ - y * sin_, centre_.y + x * sin_ + y * cos_};
    }
    CrosshairShape& next() { return list.items[static_cast<std::size_t>(list.count++)]; }

    CrosshairPoint centre_;
    double outline_;
    bool upright_ = true;
    double cos_ = 1.0;
    double sin_ = 0.0;
};

} // namespace

CrosshairMeasures crosshair_measures(const CrosshairSettings& settings, const CrosshairMotion& motion) {
    CrosshairMeasures m;
    m.thickness = std::max(1, settings.thickness);
    m.length = motion.effective_length;
    m.gap = motion.effective_gap;
    m.size = std::max(1, motion.effective_size);
    m.outline = settings.outline ? std::max(1, settings.outline_thickness) : 0;
    return m;
}

CrosshairShapeList crosshair_shapes(const CrosshairSettings& settings, const CrosshairMeasures& measures,
                                    CrosshairPoint centre, CrosshairGrid grid) {
    // Whole numbers in 64 bits: sums of hand-edited ints cannot overflow, and the overlay's
    // halves are the integer halves a GDI rectangle is placed by.
    const bool pixels = grid == CrosshairGrid::Pixels;
    const double t = measures.thickness;
    const double l = measures.length;
    const double g = measures.gap;
    const double s = measures.size;
    const double half_t =
        pixels ? static_cast<double>(static_cast<std::int64_t>(measures.thickness) / 2) : t / 2;
    const double half_l =
        pixels ? static_cast<double>(static_cast<std::int64_t>(measures.length) / 2) : l / 2;
    const double half_s = pixels ? static_cast<double>(static_cast<std::int64_t>(measures.size) / 2) : s / 2;

    ShapeBuilder b(centre, settings.rotation, static_cast<double>(measures.outline));
    const int style = settings.style;
    if (has_arms(style)) {
        b.outlined_rect(g, -half_t, l, t);      // right
        b.outlined_rect(-l - g, -half_t, l, t); // left
        if (style != 5) {
            b.outlined_rect(-half_t, -l - g, t, l); // top
        }
        b.outlined_rect(-half_t, g, t, l); // bottom
    }
    if (style == 6) {
        b.outlined_rect(-l - g, -l, t, 2 * l);     // left bar
        b.outlined_rect(-l - g, -l, half_l, t);    // its top tick
        b.outlined_rect(-l - g, l - t, half_l, t); // its bottom tick
        b.outlined_rect(g + l - t, -l, t, 2 * l);  // right bar
        b.outlined_rect(g + l - half_l, -l, half_l, t);
        b.outlined_rect(g + l - half_l, l - t, half_l, t);
    }
    if (has_ring(style)) {
        b.ring(s, t);
    }
    if (has_dot(style, settings.center_dot)) {
        b.disc(style == 1 ? s : std::max(1.0, half_s + 1));
    }
    return b.list;
}

std::uint8_t colour_byte(float value) {
    const float scaled = value * 255.0f;
    if (!(scaled > 0.0f)) {
        return 0; // also NaN
    }
    return static_cast<std::uint8_t>(std::min(scaled, 255.0f));
}

std::uint8_t overlay_alpha(int opacity) {
    const float share = std::clamp(static_cast<float>(opacity) / 100.0f, 0.01f, 1.0f);
    return static_cast<std::uint8_t>(std::clamp(share * 255.0f, 0.0f, 255.0f));
}

} // namespace tavrine
