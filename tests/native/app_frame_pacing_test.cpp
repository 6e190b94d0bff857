#include "app/frame_pacing.h"

#include <gtest/gtest.h>

namespace tavrine {
namespace {

WindowPresence in_front() {
    return WindowPresence{};
}

TEST(FramePacing, a_minimised_window_draws_nothing_and_waits_for_the_hot_key_poll) {
    WindowPresence presence = in_front();
    presence.minimised = true;
    const FramePlan plan = plan_frame(presence, 1000.0);
    EXPECT_FALSE(plan.draw);
    EXPECT_EQ(plan.mode, FrameMode::Hidden);
    EXPECT_GE(plan.wait_ms, 1000 / 30); // 20 to 30 polls a second, never a spin
    EXPECT_LE(plan.wait_ms, 1000 / 20);
}

TEST(FramePacing, a_covered_window_draws_nothing_even_in_front) {
    WindowPresence presence = in_front();
    presence.occluded = true;
    const FramePlan plan = plan_frame(presence, 1000.0);
    EXPECT_FALSE(plan.draw);
    EXPECT_GT(plan.wait_ms, 0);
}

TEST(FramePacing, behind_another_window_frames_come_at_most_30_times_a_second) {
    WindowPresence presence = in_front();
    presence.foreground = false;
    const FramePlan early = plan_frame(presence, 10.0);
    EXPECT_FALSE(early.draw);
    EXPECT_EQ(early.mode, FrameMode::Background);
    EXPECT_GE(10 + early.wait_ms, 1000 / 30);
    EXPECT_TRUE(plan_frame(presence, 1000.0 / 30).draw);
}

TEST(FramePacing, in_front_frames_come_at_once_and_idle_pacing_decides_the_rest) {
    const FramePlan plan = plan_frame(in_front(), 0.0);
    EXPECT_TRUE(plan.draw);
    EXPECT_EQ(plan.mode, FrameMode::Foreground);
    EXPECT_EQ(plan.wait_ms, 0);
}

TEST(FramePacing, a_drag_always_draws_so_the_window_follows_the_cursor) {
    WindowPresence presence;
    presence.foreground = false;
    presence.occluded = true; // a stale report from before the drag began
    presence.dragging = true;
    EXPECT_TRUE(plan_frame(presence, 0.0).draw);
}

} // namespace
} // namespace tavrine
