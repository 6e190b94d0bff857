// The crosshair: its settings file, presets, motion model and the shapes each style draws.

#include "engine/app_data_folder.h"
#include "overlays/crosshair.h"
#include "overlays/crosshair_motion.h"
#include "overlays/crosshair_raster.h"
#include "overlays/crosshair_shapes.h"
#include "overlays/overlay_clock.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace tavrine {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The first `count` values of the default file, one per line.
std::string first_values(int count) {
    std::string text;
    std::istringstream in(format_crosshair_settings(CrosshairSettings{}));
    std::string value;
    for (int i = 0; i < count && in >> value; ++i) {
        text += value + "\n";
    }
    return text;
}

// ---- File ----

TEST(CrosshairFile, DefaultRecordIsTwentyNineLinesWithTheColoursOnLinesNineAndTen) {
    const std::string text = format_crosshair_settings(CrosshairSettings{});
    const std::vector<std::string> lines = lines_of(text);
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(lines[0], "0");
    EXPECT_EQ(lines[8], "0 1 0.35 1");
    EXPECT_EQ(lines[9], "0 0 0 0.85");
    EXPECT_EQ(lines[22], "1.15"); // sensitivity
    EXPECT_EQ(lines[23], "18");   // max spread
}

TEST(CrosshairFile, SavedRecordReadsBackAsItWas) {
    CrosshairSettings saved;
    saved.enabled = true;
    saved.style = 6;
    saved.length = 300;
    saved.colour = {0.125f, 0.5f, 0.75f, 1.0f};
    saved.offset_x = -200;
    saved.rotation = 45;
    saved.fire_detect = 3;
    saved.ads_sway = 0.9f;
    CrosshairSettings loaded;
    parse_crosshair_settings(format_crosshair_settings(saved), loaded);
    EXPECT_EQ(format_crosshair_settings(loaded), format_crosshair_settings(saved));
}

TEST(CrosshairFile, FileOfTwentyFiveValuesResetsOpacityAndRecoilAndKeepsTheTail) {
    CrosshairSettings settings;
    settings.opacity = 40;
    settings.react_to_recoil = false;
    settings.sensitivity = 2.5f;
    settings.ads_sway = 0.7f;
    std::string text = first_values(24) + "1\n"; // value 25: centre on primary monitor
    text[0] = '1';                               // enabled
    parse_crosshair_settings(text, settings);
    EXPECT_TRUE(settings.enabled);
    EXPECT_EQ(settings.opacity, 92);
    EXPECT_TRUE(settings.react_to_recoil);
    EXPECT_EQ(settings.sensitivity, 2.5f);
    EXPECT_EQ(settings.ads_sway, 0.7f);
}

TEST(CrosshairFile, StyleOpacityAndFireDetectAreClampedOnLoadButLengthIsNot) {
    auto load_with = [](int line, const std::string& value) {
        std::vector<std::string> lines = lines_of(format_crosshair_settings(CrosshairSettings{}));
        lines[static_cast<std::size_t>(line - 1)] = value;
        std::string text;
        for (const std::string& l : lines) {
            text += l + "\n";
        }
        CrosshairSettings settings;
        parse_crosshair_settings(text, settings);
        return settings;
    };
    EXPECT_EQ(load_with(2, "9").style, 6);
    EXPECT_EQ(load_with(2, "-1").style, 0);
    EXPECT_EQ(load_with(20, "0").opacity, 1);
    EXPECT_EQ(load_with(22, "7").fire_detect, 3);
    EXPECT_EQ(load_with(3, "300").length, 300);
    // A malformed value stops the reading there: the later fields keep their values.
    const CrosshairSettings damaged = load_with(4, "thick");
    EXPECT_EQ(damaged.length, 8);
    EXPECT_EQ(damaged.gap, 4);
}

TEST(CrosshairFile, FileWithCarriageReturnsOrGarbageNeverThrows) {
    CrosshairSettings settings;
    parse_crosshair_settings("1\r\n2\r\n", settings);
    EXPECT_TRUE(settings.enabled);
    EXPECT_EQ(settings.style, 2);
    parse_crosshair_settings(std::string("\0\xff 99999999999999999999 -inf nan", 32), settings);
    EXPECT_EQ(settings.opacity, 92);
}

// On the fake machine, with the process-wide record back at its defaults around each test.
class CrosshairSettingsFile : public test::EngineTest {
protected:
    std::string file(const char* folder) {
        const auto entry = fake.files().entry(std::string(kRoaming) + "\\" + folder + "\\crosshair.cfg");
        return entry ? entry->content : std::string();
    }
    static constexpr const char* kRoaming = "C:\\Users\\Player\\AppData\\Roaming";
};

TEST_F(CrosshairSettingsFile, ZoltCopyIsReadAndTheNextSaveGoesToTavrineLeavingItAlone) {
    const std::string legacy = "0\r\n6\r\n300\r\n";
    fake.files().add_text_file(std::string(kRoaming) + "\\Zolt\\crosshair.cfg", legacy);
    load_crosshair_settings();
    EXPECT_EQ(crosshair_settings().style, 6);
    EXPECT_EQ(crosshair_settings().length, 300);
    save_crosshair_settings();
    const std::vector<std::string> ours = lines_of(file("Tavrine"));
    ASSERT_EQ(ours.size(), 29u);
    EXPECT_EQ(ours[2], "300\r");
    EXPECT_EQ(file("Zolt"), legacy);
}

TEST_F(CrosshairSettingsFile, PresetsAndTheToggleSaveAtOnceAndAFailedSaveKeepsTheOldFile) {
    load_crosshair_settings(); // nothing there: the defaults stand
    EXPECT_EQ(format_crosshair_settings(crosshair_settings()),
              format_crosshair_settings(CrosshairSettings{}));
    apply_crosshair_preset(1);
    EXPECT_EQ(lines_of(file("Tavrine"))[1], "1\r");
    toggle_crosshair_overlay();
    EXPECT_EQ(lines_of(file("Tavrine"))[0], "1\r");
    EXPECT_TRUE(crosshair_needs_animation()); // shown, with the recoil reaction on
    const std::string before = file("Tavrine");
    fake.files().fail_writes(true);
    toggle_crosshair_overlay();
    EXPECT_EQ(file("Tavrine"), before);
    EXPECT_FALSE(crosshair_needs_animation());
}

// ---- Presets ----

// A record with every field away from any preset value, to see what a preset leaves alone.
CrosshairSettings unusual_record() {
    CrosshairSettings s;
    s.enabled = true;
    s.center_on_primary = false;
    s.rainbow = true;
    s.rainbow_speed = 1.9f;
    s.rainbow_saturation = 0.3f;
    s.rainbow_brightness = 0.4f;
    s.colour = {0.1f, 0.2f, 0.3f, 0.4f};
    s.outline = false;
    s.outline_thickness = 5;
    s.offset_x = 17;
    s.rotation = 30;
    s.opacity = 50;
    s.react_to_recoil = false;
    s.fire_detect = 2;
    s.sensitivity = 2.9f;
    s.max_spread = 33;
    s.recovery = 3;
    s.kick_strength = 1.7f;
    s.max_kick = 55;
    s.horizontal_recoil = false;
    s.ads_sway = 0.8f;
    return s;
}

TEST(CrosshairPresets, EveryPresetResetsTheLookAndLeavesSwitchesAndRecoilTuningAlone) {
    const CrosshairSettings before = unusual_record();
    for (int i = 0; i < kCrosshairPresetCount; ++i) {
        SCOPED_TRACE(kCrosshairPresetNames[i]);
        CrosshairSettings s = before;
        apply_crosshair_preset_to(s, i);
        EXPECT_TRUE(s.outline);
        EXPECT_EQ(s.outline_thickness, 1);
        EXPECT_EQ(s.outline_colour, (CrosshairColour{0, 0, 0, 0.9f}));
        EXPECT_EQ(s.offset_x, 0);
        EXPECT_EQ(s.rotation, 0);
        EXPECT_EQ(s.opacity, 92);
        EXPECT_TRUE(s.react_to_recoil);
        // Left alone:
        EXPECT_TRUE(s.enabled);
        EXPECT_FALSE(s.center_on_primary);
        EXPECT_EQ(s.rainbow_saturation, 0.3f);
        EXPECT_EQ(s.rainbow_brightness, 0.4f);
        EXPECT_EQ(s.fire_detect, 2);
        EXPECT_EQ(s.sensitivity, 2.9f);
        EXPECT_EQ(s.max_kick, 55.0f);
        EXPECT_FALSE(s.horizontal_recoil);
        EXPECT_EQ(s.ads_sway, 0.8f);
        const bool rgb = std::string(kCrosshairPresetNames[i]) == "RGB";
        EXPECT_EQ(s.rainbow, rgb);
        EXPECT_EQ(s.rainbow_speed, rgb ? 0.55f : 1.9f);
        EXPECT_EQ(s.colour == before.colour, rgb); // only RGB keeps the colour for the cycle
        EXPECT_EQ(s.center_dot, std::string(kCrosshairPresetNames[i]) != "Tight");
    }
}

TEST(CrosshairPresets, DotIsADotOfItsOwnColour) {
    CrosshairSettings s;
    apply_crosshair_preset_to(s, 1);
    EXPECT_EQ(lines_of(format_crosshair_settings(s))[1], "1");
    EXPECT_EQ(s.colour, (CrosshairColour{1, 0.2f, 0.2f, 1}));
    apply_crosshair_preset_to(s, 6); // no such preset: nothing changes
    EXPECT_EQ(s.style, 1);
}

// ---- Motion ----

constexpr float kFrame = 1.0f / 60.0f;

TEST(CrosshairMotionModel, FiringWithAStillMouseBloomsAndClimbsToABoundedSteadyValue) {
    CrosshairSettings s;
    s.fire_detect = 3; // any mouse move: always firing
    CrosshairMotion m;
    for (int i = 0; i < 30; ++i) {
        motion_step(m, s, kFrame, MouseSample{500, 400});
    }
    const float early_bloom = m.bloom;
    EXPECT_GT(m.bloom, 0.0f);
    EXPECT_LT(m.kick_y, 0.0f); // climbs: up is negative
    for (int i = 0; i < 600; ++i) {
        motion_step(m, s, kFrame, MouseSample{500, 400});
    }
    EXPECT_GE(m.bloom, early_bloom);
    const float steady_bloom = m.bloom;
    const float steady_kick = m.kick_y;
    motion_step(m, s, kFrame, MouseSample{500, 400});
    EXPECT_NEAR(m.bloom, steady_bloom, 1e-4f);
    EXPECT_NEAR(m.kick_y, steady_kick, 1e-4f);
    EXPECT_LT(m.bloom, 2.0f);
    EXPECT_GT(m.kick_y, -1.0f);
    EXPECT_EQ(m.effective_gap, s.gap + static_cast<int>(std::round(m.bloom)));
}

TEST(CrosshairMotionModel, KicksStopAtMaxKickAndBloomAtMaxSpread) {
    CrosshairSettings s;
    s.kick_strength = 2.0f;
    s.max_kick = 28.0f;
    CrosshairMotion m;
    int y = 0;
    for (int i = 0; i < 20; ++i) {
        y -= 400; // a hard pull down on the mouse while the left button is held
        motion_step(m, s, kFrame, MouseSample{0, y, true, false});
        EXPECT_GE(m.kick_y, -28.0f);
        EXPECT_LE(m.bloom, s.max_spread);
    }
    EXPECT_LT(m.kick_y, -20.0f); // held against the limit, less one frame's recovery
    EXPECT_GT(m.bloom, 14.0f);
}

TEST(CrosshairMotionModel, WithoutReactionEverythingDecaysAndTheMouseIsNotRead) {
    CrosshairSettings s;
    s.react_to_recoil = false;
    CrosshairMotion m;
    m.kick_x = 10;
    m.kick_y = -20;
    m.bloom = 8;
    motion_step(m, s, 0.1f, MouseSample{900, 900, true, true});
    EXPECT_NEAR(m.bloom, 8 * std::exp(-0.9f), 1e-4f);
    EXPECT_NEAR(m.kick_y, -20 * std::exp(-0.9f), 1e-4f);
    EXPECT_FALSE(m.previous_valid);
    EXPECT_EQ(m.effective_gap, s.gap); // bloom is not added without the reaction
}

TEST(CrosshairMotionModel, ExtremeHandEditedValuesNeverLeaveNumbersTheOverlayCannotPlace) {
    CrosshairSettings s;
    s.sensitivity = 3.0e38f;
    s.kick_strength = 3.0e38f;
    s.max_spread = 3.0e38f;
    s.max_kick = -5;
    s.recovery = -3.0e38f;
    s.gap = INT_MAX;
    CrosshairMotion m;
    for (int i = 0; i < 5; ++i) {
        motion_step(m, s, kFrame, MouseSample{i * 1000000, -i * 1000000, true, true});
        EXPECT_TRUE(std::isfinite(m.kick_x) && std::isfinite(m.kick_y) && std::isfinite(m.bloom));
    }
    EXPECT_EQ(m.effective_gap, INT_MAX); // saturated, not wrapped
}

TEST(CrosshairRainbow, CycleWritesTheHueIntoTheColourAndWraps) {
    CrosshairSettings s;
    s.rainbow = true;
    s.rainbow_speed = 0.5f;
    CrosshairMotion m;
    rainbow_step(m, s, 1.0f); // phase 0.5: cyan
    EXPECT_NEAR(s.colour[0], 0.0f, 1e-5f);
    EXPECT_NEAR(s.colour[1], 1.0f, 1e-5f);
    EXPECT_NEAR(s.colour[2], 1.0f, 1e-5f);
    EXPECT_EQ(s.colour[3], 1.0f);
    rainbow_step(m, s, 1.2f); // phase 1.1 wraps to 0.1
    EXPECT_NEAR(m.hue_phase, 0.1f, 1e-5f);
    s.rainbow = false;
    const CrosshairColour kept = s.colour;
    rainbow_step(m, s, 1.0f);
    EXPECT_EQ(s.colour, kept);
}

// ---- Shapes ----

struct Box {
    double x0, y0, x1, y1;
};
Box box_of(const CrosshairShape& shape) {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (const CrosshairPoint& p : shape.corners) {
        x0 = std::min(x0, p.x);
        y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x);
        y1 = std::max(y1, p.y);
    }
    return {x0, y0, x1, y1};
}

CrosshairShapeList overlay_shapes(const CrosshairSettings& s) {
    CrosshairMotion m;
    m.effective_length = s.length;
    m.effective_gap = s.gap;
    m.effective_size = s.size;
    return crosshair_shapes(s, crosshair_measures(s, m), {180, 180}, CrosshairGrid::Pixels);
}

TEST(CrosshairShapes, TShapeHasNoTopArm) {
    CrosshairSettings s;
    s.style = 5;
    s.center_dot = false;
    s.outline = false;
    const CrosshairShapeList list = overlay_shapes(s);
    ASSERT_EQ(list.count, 3);
    for (const CrosshairShape& arm : list.shapes()) {
        EXPECT_GT(box_of(arm).y1, 179.0) << "an arm reaches above the centre";
    }
}

TEST(CrosshairShapes, DotStyleIsOneDiscOfRadiusSize) {
    CrosshairSettings s;
    s.style = 1;
    s.size = 7;
    s.outline = false;
    const CrosshairShapeList list = overlay_shapes(s);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.items[0].kind, CrosshairShapeKind::Disc);
    EXPECT_EQ(list.items[0].radius, 7.0);
}

TEST(CrosshairShapes, OutlineComesBeforeEachFillAndTheRingBoxesGrowByTheOutline) {
    CrosshairSettings s;
    s.style = 4; // cross + circle, centre dot on
    s.size = 10;
    s.thickness = 3;
    s.outline_thickness = 2;
    const CrosshairShapeList list = overlay_shapes(s);
    ASSERT_EQ(list.count, 12); // four arms, a ring, a dot: each outlined
    for (int i = 0; i < list.count; i += 2) {
        EXPECT_EQ(list.items[static_cast<std::size_t>(i)].ink, CrosshairInk::Outline);
        EXPECT_EQ(list.items[static_cast<std::size_t>(i) + 1].ink, CrosshairInk::Fill);
    }
    const CrosshairShape& ring_outline = list.items[8];
    const CrosshairShape& ring = list.items[9];
    EXPECT_EQ(ring.kind, CrosshairShapeKind::Ring);
    EXPECT_EQ(ring.radius, 10.0);
    EXPECT_EQ(ring.pen, 3.0);
    EXPECT_EQ(ring_outline.radius, 12.0);
    EXPECT_EQ(ring_outline.pen, 5.0);
    EXPECT_EQ(list.items[11].radius, 6.0); // the dot: size / 2 + 1
    // The right arm's outline is the arm grown by two on every side.
    const Box arm = box_of(list.items[1]);
    const Box outline = box_of(list.items[0]);
    EXPECT_EQ(arm.x0, 184.0);
    EXPECT_EQ(arm.y0, 179.0); // 180 - 3 / 2, whole pixels
    EXPECT_EQ(outline.x0, 182.0);
    EXPECT_EQ(outline.y1, arm.y1 + 2);
}

TEST(CrosshairShapes, BracketsFaceEachOtherAcrossTheGap) {
    CrosshairSettings s;
    s.style = 6;
    s.outline = false;
    s.length = 10;
    s.gap = 6;
    const CrosshairShapeList list = overlay_shapes(s);
    ASSERT_EQ(list.count, 6); // no dot with brackets, even with the centre dot on
    const Box left_bar = box_of(list.items[0]);
    const Box left_tick = box_of(list.items[1]);
    const Box right_bar = box_of(list.items[3]);
    EXPECT_EQ(left_bar.x0, 180.0 - 16);
    EXPECT_EQ(left_bar.y1 - left_bar.y0, 20.0);
    EXPECT_EQ(left_tick.x1, left_bar.x0 + 5); // ticks point inwards, half a length
    EXPECT_EQ(right_bar.x1, 180.0 + 16);
}

TEST(CrosshairShapes, RotationTurnsArmsAboutTheCentreAndLeavesCirclesAlone) {
    CrosshairSettings s;
    s.style = 3;
    s.outline = false;
    s.rotation = 45;
    const CrosshairShapeList list = overlay_shapes(s);
    const CrosshairShape& right = list.items[0];
    EXPECT_FALSE(right.upright);
    // The right arm's far end, 12 pixels out, now points down and to the right at 45 degrees.
    const CrosshairPoint far_top = right.corners[1]; // (192, 179) before turning
    EXPECT_NEAR(far_top.x, 180 + (12 * std::cos(0.785398) + 1 * std::sin(0.785398)), 1e-4);
    EXPECT_NEAR(far_top.y, 180 + (12 * std::sin(0.785398) - 1 * std::cos(0.785398)), 1e-4);
    EXPECT_EQ(list.items[list.count - 1].centre.x, 180.0); // the dot stays put
    s.rotation = 360;
    EXPECT_TRUE(overlay_shapes(s).items[0].upright);
}

TEST(CrosshairShapes, HugeSizesStayHugeButBoundedAndHugeRingsVanish) {
    CrosshairSettings s;
    s.style = 2;
    s.outline = false;
    s.length = 300;
    s.size = INT_MAX;
    EXPECT_EQ(overlay_shapes(s).count, 0);
    s.style = 0;
    const CrosshairShapeList arms = overlay_shapes(s);
    EXPECT_EQ(box_of(arms.items[0]).x1, 180.0 + 4 + 300); // a length of 300 is drawn at 300
    s.length = INT_MAX;
    s.gap = INT_MIN;
    const CrosshairShapeList huge = overlay_shapes(s); // kept alive: shapes() views into it
    for (const CrosshairShape& shape : huge.shapes()) {
        const Box b = box_of(shape);
        EXPECT_LE(std::max({std::abs(b.x0), std::abs(b.x1), std::abs(b.y0), std::abs(b.y1)}), 5000.0);
    }
}

TEST(CrosshairShapes, PreviewMeasuresInHalvesWhereTheOverlayRoundsDown) {
    CrosshairSettings s;
    s.style = 0;
    s.thickness = 3;
    s.outline = false;
    s.center_dot = false;
    CrosshairMotion m;
    m.effective_length = 8;
    m.effective_gap = 4;
    m.effective_size = 4;
    const CrosshairShapeList smooth =
        crosshair_shapes(s, crosshair_measures(s, m), {100.5, 100.5}, CrosshairGrid::Smooth);
    EXPECT_EQ(box_of(smooth.items[0]).y0, 99.0); // 100.5 - 1.5
}

// ---- Alpha ----

TEST(CrosshairAlpha, BlackStrokesSurviveAndUntouchedPixelsBecomeTransparent) {
    CrosshairSettings s; // green, black outline, opacity 92: alpha 234
    s.style = 0;
    s.center_dot = false;
    CrosshairMotion m;
    m.effective_length = 8;
    m.effective_gap = 4;
    m.effective_size = 4;
    std::vector<std::uint32_t> canvas(360 * 360, 0u);
    paint_crosshair(canvas, crosshair_shapes(s, crosshair_measures(s, m), {180, 180}, CrosshairGrid::Pixels),
                    crosshair_inks(s));
    const auto at = [&](int x, int y) {
        return canvas[static_cast<std::size_t>(y) * 360 + static_cast<std::size_t>(x)];
    };
    EXPECT_EQ(at(180, 180), 0u);          // the empty centre
    EXPECT_EQ(at(183, 180), 0xEA000000u); // black outline: opaque black, not a hole
    EXPECT_EQ(at(184, 180), 0xEA00EA51u); // green premultiplied: 255 * 234 / 255
    EXPECT_EQ(overlay_alpha(5), 12);
    EXPECT_EQ(overlay_alpha(100), 255);
    EXPECT_EQ(overlay_alpha(0), 2); // never fully invisible
}

TEST(CrosshairAlpha, ARepaintClearsWhatTheLastFrameCoveredAndNothingElseRemains) {
    CrosshairSettings s;
    s.style = 4; // arms, ring and dot
    CrosshairMotion bloomed;
    bloomed.effective_length = 20;
    bloomed.effective_gap = 14;
    bloomed.effective_size = 12;
    CrosshairMotion rest;
    rest.effective_length = 8;
    rest.effective_gap = 4;
    rest.effective_size = 4;
    const auto shapes = [&](const CrosshairMotion& m) {
        return crosshair_shapes(s, crosshair_measures(s, m), {180, 180}, CrosshairGrid::Pixels);
    };
    std::vector<std::uint32_t> kept(360 * 360, 0u);
    paint_crosshair(kept, shapes(bloomed), crosshair_inks(s));
    clear_canvas_box(kept, crosshair_bounds(shapes(bloomed))); // as the overlay repaints its canvas
    paint_crosshair(kept, shapes(rest), crosshair_inks(s));
    std::vector<std::uint32_t> fresh(360 * 360, 0u);
    paint_crosshair(fresh, shapes(rest), crosshair_inks(s));
    EXPECT_EQ(kept, fresh);
}

// ---- Clock ----

TEST(CrosshairClock, TheRainbowAndTheRecoilMoveOnWhileTheWindowDrawsNoFrame) {
    CrosshairSettings& settings = crosshair_settings();
    const CrosshairSettings saved = settings;
    settings = CrosshairSettings{};
    settings.enabled = true;
    settings.rainbow = true;
    settings.rainbow_speed = 1.0f;
    settings.fire_detect = 3; // always firing: the bloom grows with a still mouse
    crosshair_motion() = CrosshairMotion{};
    update_crosshair_overlay(0.016f); // one frame hands the model to the overlay clock
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // no frame at all
    update_crosshair_overlay(0.0f); // the next frame reads back what the clock did
    EXPECT_GT(crosshair_motion().hue_phase, 0.1f);
    EXPECT_GT(crosshair_motion().bloom, 0.5f);
    EXPECT_NE(settings.colour, CrosshairSettings{}.colour); // the rainbow colour, kept for a save

    settings.enabled = false; // the model comes back to the frame loop, and stands still
    update_crosshair_overlay(0.0f);
    const float phase = crosshair_motion().hue_phase;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    update_crosshair_overlay(0.0f);
    EXPECT_EQ(crosshair_motion().hue_phase, phase);
    destroy_crosshair_overlay();
    crosshair_motion() = CrosshairMotion{};
    settings = saved;
}

TEST(OverlayClockTicks, OnlyWhileTheTickAsksForMoreAndAgainWhenWoken) {
    OverlayClock clock;
    std::atomic<int> calls{0};
    clock.start(
        [&](float) {
            ++calls;
            return false; // a still overlay: no periodic tick
        },
        std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(calls.load(), 1);
    clock.wake();
    for (int i = 0; i < 200 && calls.load() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(calls.load(), 2);
    clock.stop();
    EXPECT_FALSE(clock.running());
}

} // namespace
} // namespace tavrine
