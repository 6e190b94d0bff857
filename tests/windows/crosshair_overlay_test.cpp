// The crosshair overlay against a real DIB and a real layered window under Wine: the pixels the
// shape list paints into the 360 x 360 canvas, and where the window goes.

#include "overlays/crosshair.h"
#include "overlays/crosshair_canvas.h"
#include "overlays/crosshair_motion.h"
#include "overlays/crosshair_shapes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tavrine {
namespace {

struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba&) const = default;
};

class CrosshairCanvas : public ::testing::Test {
protected:
    // Paints the settings as the overlay would, at rest (no bloom).
    void paint() {
        CrosshairMotion rest;
        rest.effective_length = settings.length;
        rest.effective_gap = settings.gap;
        rest.effective_size = settings.size;
        pixels =
            render_crosshair_canvas(settings, crosshair_shapes(settings, crosshair_measures(settings, rest),
                                                               {180, 180}, CrosshairGrid::Pixels));
        ASSERT_EQ(pixels.size(), 360u * 360u);
    }
    Rgba at(int x, int y) const {
        const std::uint32_t p = pixels[static_cast<std::size_t>(y) * 360 + static_cast<std::size_t>(x)];
        return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                static_cast<int>(p & 0xFF), static_cast<int>(p >> 24)};
    }

    CrosshairSettings settings; // green (0, 255, 89) with a black outline, opacity 92: alpha 234
    std::vector<std::uint32_t> pixels;
};

constexpr Rgba kClear{0, 0, 0, 0};
constexpr Rgba kGreen{0, 234, 81, 234}; // premultiplied
constexpr Rgba kBlackOutline{0, 0, 0, 234};

TEST_F(CrosshairCanvas, ArmsSitAroundAnEmptyCentreWithABlackOutlineThatShows) {
    settings.style = 0; // cross without a dot: the centre stays empty
    settings.center_dot = false;
    paint();
    EXPECT_EQ(at(180, 180), kClear);
    EXPECT_EQ(at(182, 180), kClear);
    // Right arm: x 184..191 on rows 179 and 180 (thickness 2); its outline one pixel around.
    EXPECT_EQ(at(184, 180), kGreen);
    EXPECT_EQ(at(191, 179), kGreen);
    EXPECT_EQ(at(183, 180), kBlackOutline);
    EXPECT_EQ(at(187, 178), kBlackOutline);
    EXPECT_EQ(at(192, 180), kBlackOutline);
    EXPECT_EQ(at(187, 177), kClear);
    EXPECT_EQ(at(193, 180), kClear);
    // Left, top and bottom arms.
    EXPECT_EQ(at(169, 180), kGreen);
    EXPECT_EQ(at(180, 169), kGreen);
    EXPECT_EQ(at(180, 191), kGreen);
}

TEST_F(CrosshairCanvas, TShapeLeavesTheTopEmptyAndRingAndDotAreRound) {
    settings.style = 5;
    settings.outline = false;
    paint();
    EXPECT_EQ(at(180, 169), kClear);
    EXPECT_EQ(at(180, 191), kGreen);
    EXPECT_EQ(at(180, 180), kGreen); // the centre dot

    settings.style = 2;
    settings.size = 20;
    paint();
    EXPECT_EQ(at(180, 180), kClear);
    EXPECT_TRUE(at(199, 180) == kGreen || at(200, 180) == kGreen); // a 2-pixel pen on radius 20
    EXPECT_TRUE(at(180, 160) == kGreen || at(180, 161) == kGreen);
    EXPECT_EQ(at(198, 198), kClear); // the box's corner lies outside the ring
}

TEST_F(CrosshairCanvas, OpacityFiveGivesAlphaTwelveAndALongArmIsClippedNotWrapped) {
    settings.opacity = 5;
    settings.style = 0;
    settings.outline = false;
    settings.length = 300;
    paint();
    EXPECT_EQ(at(184, 180).a, 12);
    EXPECT_EQ(at(359, 180).a, 12); // 300 long: runs off the canvas
    EXPECT_EQ(at(0, 180).a, 12);
}

TEST_F(CrosshairCanvas, RotationTurnsTheArmsOnTheOverlayToo) {
    settings.style = 0;
    settings.outline = false;
    settings.rotation = 45;
    paint();
    EXPECT_EQ(at(187, 180), kClear);
    EXPECT_EQ(at(186, 186), kGreen); // the right arm, turned to point down and right
}

TEST(CrosshairWindow, ShownCentredTopmostAndClickThroughThenHiddenByTheToggle) {
    CrosshairSettings& settings = crosshair_settings();
    const CrosshairSettings saved = settings;
    settings = CrosshairSettings{};
    settings.enabled = true;
    settings.react_to_recoil = false;
    settings.recovery = 0; // no decay: a kick set below stays put
    update_crosshair_overlay(0.016f);
    wait_for_crosshair_overlay();
    const CrosshairWindowFacts centred = crosshair_window_facts();
    EXPECT_TRUE(centred.exists);
    EXPECT_TRUE(centred.visible);
    EXPECT_EQ(centred.width, 360);
    EXPECT_EQ(centred.height, 360);
    EXPECT_TRUE(centred.topmost);
    EXPECT_TRUE(centred.layered);
    EXPECT_TRUE(centred.click_through);

    settings.enabled = false;
    update_crosshair_overlay(0.016f);
    wait_for_crosshair_overlay();
    EXPECT_FALSE(crosshair_window_facts().visible);
    EXPECT_TRUE(crosshair_window_facts().exists); // hidden, not destroyed

    // While hidden the model is the frame loop's again; shown, the overlay clock takes it over.
    settings.offset_x = 50;
    crosshair_motion().kick_y = -28;
    settings.enabled = true;
    update_crosshair_overlay(0.016f);
    wait_for_crosshair_overlay();
    const CrosshairWindowFacts moved = crosshair_window_facts();
    EXPECT_TRUE(moved.visible);
    EXPECT_EQ(moved.x - centred.x, 50);
    EXPECT_EQ(moved.y - centred.y, -28);

    destroy_crosshair_overlay();
    EXPECT_FALSE(crosshair_window_facts().exists);
    crosshair_motion() = CrosshairMotion{};
    settings = saved;
}

} // namespace
} // namespace tavrine
