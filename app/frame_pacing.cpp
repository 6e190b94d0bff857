#include "app/frame_pacing.h"

#include <algorithm>
#include <cmath>

namespace tavrine {

FramePlan plan_frame(const WindowPresence& presence, double since_last_frame_ms) {
    FramePlan plan;
    // A drag moves the window under the cursor: it is in front by definition and must follow.
    if (presence.dragging) {
        return plan;
    }
    if (presence.minimised || presence.occluded) {
        plan.mode = FrameMode::Hidden;
        plan.wait_ms = kHotKeyPollMs;
        plan.draw = false;
        return plan;
    }
    if (!presence.foreground) {
        plan.mode = FrameMode::Background;
        const double left = kBackgroundFrameMs - std::max(since_last_frame_ms, 0.0);
        plan.wait_ms = left > 0 ? static_cast<int>(std::ceil(left)) : 0;
        plan.draw = plan.wait_ms == 0;
        return plan;
    }
    return plan;
}

} // namespace tavrine
