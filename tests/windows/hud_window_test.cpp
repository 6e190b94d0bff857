// The HUD panel through its real layered window under Wine: F7's path (a poll on the poll
// thread, the push on the overlay thread) puts a topmost, click-through panel in the top-right
// corner; switching off hides it; the exit destroys it.

#include "overlays/hud.h"
#include "overlays/hud_window_win32.h"
#include "overlays/sensors.h"
#include "sending_picture_win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace tavrine {
namespace {

TEST(HudWindow, ShownTopRightTopmostAndClickThroughThenHiddenWhenSwitchedOff) {
    HudSettings& settings = hud_settings();
    const HudSettings saved = settings;
    settings = HudSettings{};
    settings.enabled = true; // corner 1: top right
    set_hud_window(&win32_hud_window());
    update_hud_overlay(0.016f);
    wait_for_hud_poll();
    wait_for_hud_window();
    const LayeredWindowFacts shown = hud_window_facts();
    EXPECT_TRUE(shown.exists);
    EXPECT_TRUE(shown.visible);
    EXPECT_EQ(shown.x, primary_screen_size().width - 320 - 18);
    EXPECT_EQ(shown.y, 18);
    EXPECT_EQ(shown.width, 320);
    EXPECT_EQ(shown.height, 228);
    EXPECT_TRUE(shown.topmost);
    EXPECT_TRUE(shown.layered);
    EXPECT_TRUE(shown.click_through);

    settings.enabled = false;
    update_hud_overlay(0.016f);
    wait_for_hud_window();
    EXPECT_FALSE(hud_window_facts().visible);
    EXPECT_FALSE(sensors_open());

    win32_hud_window().destroy();
    EXPECT_FALSE(hud_window_facts().exists);
    set_hud_window(nullptr);
    settings = saved;
}

// The exit stops the overlay thread while that thread may be inside a call that sends this
// thread a message (and waits for the answer): a blind join would never return.
TEST(LayeredOverlayThread, StopAnswersAMessageTheOverlayThreadSendsMeanwhile) {
    test::SendingPicture sender = test::make_sending_picture();
    {
        LayeredOverlay overlay(L"TavrineTestOverlay");
        overlay.publish({true, 0, 0, sender.picture});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!sender.sending->load() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(sender.sending->load()); // the send now waits on this thread
        overlay.stop();
        EXPECT_FALSE(overlay.running());
    }
    EXPECT_EQ(sender.answered->load(), 1);
    test::destroy_sending_window();
}

} // namespace
} // namespace tavrine
