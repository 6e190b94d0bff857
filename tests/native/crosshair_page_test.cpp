// The Crosshair page: which editor rows a record shows, and its buttons and switch, drawn
// headless; every change lands in "crosshair.cfg" at once.

#include "app/pages/crosshair_editor.h"
#include "app/pages/pages.h"
#include "app_headless.h"
#include "overlays/crosshair.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>
#include <imgui_internal.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tavrine {
namespace {

std::vector<std::string> shown_rows(const CrosshairSettings& s) {
    std::vector<std::string> labels;
    for (const EditorRow& row : crosshair_editor_rows()) {
        if (editor_row_shown(row, s)) {
            labels.emplace_back(row.label);
        }
    }
    return labels;
}
bool has(const std::vector<std::string>& labels, const std::string& label) {
    return std::find(labels.begin(), labels.end(), label) != labels.end();
}

TEST(CrosshairEditor, OutlineRainbowAndReactionShowAndHideTheirRows) {
    CrosshairSettings s; // outline on, rainbow off, reaction on
    const std::vector<std::string> all = shown_rows(s);
    EXPECT_TRUE(has(all, "Outline thickness"));
    EXPECT_TRUE(has(all, "Crosshair RGB"));
    EXPECT_FALSE(has(all, "Rainbow speed"));
    EXPECT_TRUE(has(all, "Live spread %.1f  kick %.0f,%.0f"));

    s.outline = false;
    EXPECT_FALSE(has(shown_rows(s), "Outline thickness"));
    EXPECT_TRUE(has(shown_rows(s), "Outline RGB")); // the outline colour stays editable

    s.rainbow = true;
    const std::vector<std::string> rainbow = shown_rows(s);
    EXPECT_TRUE(has(rainbow, "Rainbow speed") && has(rainbow, "Saturation") && has(rainbow, "Brightness"));
    EXPECT_FALSE(has(rainbow, "Crosshair RGB"));

    s.react_to_recoil = false;
    const std::vector<std::string> calm = shown_rows(s);
    for (const char* label :
         {"Fire detect", "Sensitivity", "Max spread", "Recovery", "Kick strength", "Max kick",
          "Horizontal recoil", "ADS sway", "Live spread %.1f  kick %.0f,%.0f"}) {
        EXPECT_FALSE(has(calm, label)) << label;
    }
    EXPECT_TRUE(has(calm, "React to recoil / fire"));
    EXPECT_TRUE(has(calm, "Center on primary monitor"));
}

// On the fake machine: the page saves on every change, and the Windows runner must not write
// into the prefix's real settings folder.
class CrosshairPage : public test::EngineTest {};

TEST_F(CrosshairPage, DrawsEveryCombinationOfSwitchesHeadless) {
    test::HeadlessUi ui;
    ShellState state;
    CrosshairSettings& s = crosshair_settings();
    const CrosshairSettings saved = s;
    for (int bits = 0; bits < 8; ++bits) {
        s.outline = (bits & 1) != 0;
        s.rainbow = (bits & 2) != 0;
        s.react_to_recoil = (bits & 4) != 0;
        s.style = bits % 7;
        s.length = bits == 7 ? 300 : 8; // runs far out of the preview square
        s.rotation = bits * 6;
        ui.frame([&] { draw_crosshair_page(state); });
    }
    s = saved;
}

} // namespace
} // namespace tavrine
