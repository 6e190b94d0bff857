#include "app/animation.h"
#include "app/device_fallback.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tavrine {
namespace {

TEST(Approach, moves_by_the_exponential_step_of_the_frame) {
    const float dt = 1.0f / 60.0f;
    EXPECT_FLOAT_EQ(approach(0.0f, 1.0f, 18.0f, dt), 1.0f - std::exp(-dt * 18.0f));
    EXPECT_FLOAT_EQ(approach(10.0f, 0.0f, 12.0f, dt), 10.0f * std::exp(-dt * 12.0f));
}

TEST(Approach, caps_a_long_frame_at_fifty_milliseconds) {
    EXPECT_FLOAT_EQ(approach(0.0f, 1.0f, 10.0f, 2.0f), approach(0.0f, 1.0f, 10.0f, 0.05f));
    EXPECT_LT(approach(0.0f, 1.0f, 10.0f, 2.0f), 0.5f);
}

TEST(Approach, snaps_onto_the_target_within_two_thousandths) {
    EXPECT_EQ(approach(0.9985f, 1.0f, 1.0f, 0.001f), 1.0f);
    EXPECT_EQ(approach(16.0015f, 16.0f, 1.0f, 0.0001f), 16.0f);
    EXPECT_NE(approach(0.9975f, 1.0f, 1.0f, 0.001f), 1.0f);
}

TEST(Approach, settles_exactly_so_idle_detection_can_become_true) {
    float value = 0.0f;
    int frames = 0;
    while (value != 1.0f && frames < 10000) {
        value = approach(value, 1.0f, 16.0f, 1.0f / 240.0f);
        ++frames;
    }
    EXPECT_EQ(value, 1.0f);
    EXPECT_LT(frames, 200);
}

TEST(EaseOutCubic, runs_from_zero_to_one_and_clamps_outside) {
    EXPECT_FLOAT_EQ(ease_out_cubic(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(ease_out_cubic(1.0f), 1.0f);
    EXPECT_FLOAT_EQ(ease_out_cubic(0.5f), 0.875f);
    EXPECT_FLOAT_EQ(ease_out_cubic(-3.0f), 0.0f);
    EXPECT_FLOAT_EQ(ease_out_cubic(7.0f), 1.0f);
}

TEST(EaseOutBack, starts_at_zero_overshoots_and_ends_at_one) {
    EXPECT_NEAR(ease_out_back(0.0f), 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(ease_out_back(1.0f), 1.0f);
    EXPECT_GT(ease_out_back(0.8f), 1.0f);
}

struct FallbackRun {
    std::vector<DeviceAttempt> attempts;
    bool created;
};

FallbackRun run_fallbacks(std::vector<long> results) {
    FallbackRun run{{}, false};
    std::size_t next = 0;
    run.created = create_with_fallbacks(
        [&](DeviceAttempt how) {
            run.attempts.push_back(how);
            return next < results.size() ? results[next++] : 0L;
        },
        -42);
    return run;
}

TEST(DeviceFallback, flip_discard_failure_retries_with_discard) {
    const auto run = run_fallbacks({-1, 0});
    EXPECT_TRUE(run.created);
    ASSERT_EQ(run.attempts.size(), 2u);
    EXPECT_EQ(run.attempts[0].swap_effect, SwapEffect::FlipDiscard);
    EXPECT_EQ(run.attempts[1].driver, DeviceDriver::Hardware);
    EXPECT_EQ(run.attempts[1].swap_effect, SwapEffect::Discard);
}

TEST(DeviceFallback, only_unsupported_on_the_second_attempt_leads_to_warp) {
    const auto warp = run_fallbacks({-1, -42, 0});
    EXPECT_TRUE(warp.created);
    ASSERT_EQ(warp.attempts.size(), 3u);
    EXPECT_EQ(warp.attempts[2].driver, DeviceDriver::Warp);
    EXPECT_EQ(warp.attempts[2].swap_effect, SwapEffect::Discard);

    const auto other = run_fallbacks({-1, -7});
    EXPECT_FALSE(other.created);
    EXPECT_EQ(other.attempts.size(), 2u);

    const auto warp_fails = run_fallbacks({-1, -42, -1});
    EXPECT_FALSE(warp_fails.created);
}

} // namespace
} // namespace tavrine
