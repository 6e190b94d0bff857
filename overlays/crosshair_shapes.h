#pragma once
// What a crosshair is made of: the rectangles, rings and discs its style produces, in drawing
// order, already rotated and placed. The overlay writes this list into the pixels of its 360 x 360
// canvas (overlays/crosshair_raster.h) and the page preview paints the same list with the GUI's
// draw list, so the two show the same thing.

#include "overlays/crosshair.h"

#include <array>
#include <cstdint>
#include <span>

namespace tavrine {

struct CrosshairMotion;

inline constexpr int kCrosshairCanvas = 360; // the overlay window is this many pixels square
inline constexpr int kCrosshairCentre = 180;

enum class CrosshairShapeKind : std::uint8_t {
    Quad, // a filled rectangle, turned by the rotation
    Ring, // a hollow circle stroked with a pen `pen` wide
    Disc, // a filled circle
};
enum class CrosshairInk : std::uint8_t { Outline, Fill };

struct CrosshairPoint {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const CrosshairPoint&) const = default;
};

struct CrosshairShape {
    CrosshairShapeKind kind = CrosshairShapeKind::Quad;
    CrosshairInk ink = CrosshairInk::Fill;
    // Quad: corners clockwise from the top-left of the unturned rectangle. `upright` when the
    // rotation is a whole number of turns: then corners 0 and 2 are its top-left and bottom-right.
    std::array<CrosshairPoint, 4> corners{};
    bool upright = true;
    // Ring, Disc: the circle.
    CrosshairPoint centre;
    double radius = 0.0;
    double pen = 0.0;
    bool operator==(const CrosshairShape&) const = default;
};

// A style draws at most twelve shapes (four outlined arms, two outlined circles).
struct CrosshairShapeList {
    std::array<CrosshairShape, 16> items{};
    int count = 0;
    std::span<const CrosshairShape> shapes() const { return {items.data(), static_cast<std::size_t>(count)}; }
    bool operator==(const CrosshairShapeList&) const = default;
};

// The overlay measures on whole pixels (halves rounded down, as the overlay canvas places a rectangle); the
// preview measures in floating point.
enum class CrosshairGrid : std::uint8_t { Pixels, Smooth };

// The sizes one frame draws with: the settings' thickness and outline, the motion's effective
// length, gap and size.
struct CrosshairMeasures {
    int thickness = 1;
    int length = 0;
    int gap = 0;
    int size = 1;
    int outline = 0; // 0 when the outline is off
};
CrosshairMeasures crosshair_measures(const CrosshairSettings& settings, const CrosshairMotion& motion);

// The shapes of `settings.style` about `centre`, turned by `settings.rotation`. Coordinates are
// kept within a few thousand pixels of the centre whatever the file held, so no painter is
// handed a size that overflows.
CrosshairShapeList crosshair_shapes(const CrosshairSettings& settings, const CrosshairMeasures& measures,
                                    CrosshairPoint centre, CrosshairGrid grid);

// A colour channel 0..1 as the byte trunc(clamp(value x 255, 0, 255)); NaN gives 0.
std::uint8_t colour_byte(float value);
// Alpha for the whole overlay: trunc(clamp(opacity / 100, 0.01, 1) x 255).
std::uint8_t overlay_alpha(int opacity);

} // namespace tavrine
