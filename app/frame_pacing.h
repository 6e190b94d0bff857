#pragma once
// Whether the frame loop builds a GUI frame this pass and how long it may wait for messages
// first. A window nobody can see costs nothing: minimised or covered it draws no frame and the
// loop sleeps in the message wait, waking only to poll the hot keys; behind another window (a
// game in borderless mode) it draws at a capped rate. Deep idle and the Eco renderer
// (idle_sleep_ms) only ever apply to the window in front.

namespace tavrine {

// F7, F8 and Delete are polled this often while no frame is drawn (25 times a second): cheap,
// and quick enough that a press feels immediate. They are polled, never registered, so a game
// keeps every key.
inline constexpr int kHotKeyPollMs = 40;
// At most 30 frames a second while another window is in front.
inline constexpr int kBackgroundFrameMs = 33;

struct WindowPresence {
    bool minimised = false; // IsIconic
    bool occluded = false;  // the last present (or present test) reported the window covered
    bool foreground = true; // the window is the foreground window
    bool dragging = false;  // the user moves it by its top strip
};

enum class FrameMode {
    Hidden,     // no frame: wait for messages or the next hot-key poll
    Background, // a frame, no sooner than kBackgroundFrameMs after the previous one
    Foreground, // a frame at once; idle pacing may sleep after it
};

struct FramePlan {
    FrameMode mode = FrameMode::Foreground;
    // Longest wait for messages before this pass acts (0: none). Hidden: the hot-key poll
    // period; Background: what is left of the frame interval.
    int wait_ms = 0;
    bool draw = true;
};

// `since_last_frame_ms`: time since the previous frame was presented.
FramePlan plan_frame(const WindowPresence& presence, double since_last_frame_ms);

} // namespace tavrine
