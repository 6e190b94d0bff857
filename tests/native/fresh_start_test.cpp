// What one test leaves in the process-wide state never reaches the next: the reset builds every
// layer's record anew, so state added later is covered without being listed.

#include "app/shell_state.h"
#include "app/widget_anim.h"
#include "engine/history.h"
#include "overlays/crosshair_motion.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

namespace tavrine {
namespace {

TEST(FreshStart, the_reset_puts_back_the_window_the_overlays_and_the_history_switch) {
    shell_state().page = kOverviewPage + 3;
    shell_state().profile_message = "Exported";
    nav_anim(2).hover = 1.0f;
    crosshair_motion().bloom = 12.0f;
    set_history_enabled(true);

    test::reset_to_fresh_start();

    EXPECT_EQ(shell_state().page, kOverviewPage);
    EXPECT_EQ(shell_state().profile_message, "");
    EXPECT_EQ(nav_anim(2).hover, 0.0f);
    EXPECT_EQ(crosshair_motion().bloom, 0.0f);
    EXPECT_FALSE(history_enabled());
}

} // namespace
} // namespace tavrine
