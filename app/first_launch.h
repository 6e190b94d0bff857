#pragma once
// The first-launch GPU setup screen: propose the detected card (or let the user pick one),
// apply its profile with a short animated progress, then hand over to the main screen.

#include "app/shell_state.h"
#include "runs/gpu_setup.h"

#include <string>

namespace tavrine {

// What the screen shows this frame, derived from the detection record alone.
struct FirstLaunchView {
    SetupPhase phase = SetupPhase::Choosing;
    bool choose_mode = false; // phase 0 only: pick a brand instead of confirming one
    const char* heading = "";
    std::string adapter_line;       // confirm: the adapter; applying: "vendor  ·  adapter"
    std::string looks_like;         // confirm mode: "Looks like %s."
    const char* blurb = nullptr;    // confirm mode
    const char* note = nullptr;     // confirm mode: the Intel or the two-cards note, or none
    std::string action;             // confirm mode: "Tune my %s GPU"
    bool back_to_detected = false;  // choose mode: a detected vendor can be gone back to
    const char* stage = nullptr;    // phases 1 and 2
    float bar = 0.0f;               // phases 1 and 2
    const char* footnote = nullptr; // phases 1 and 2
};
FirstLaunchView first_launch_view(const GpuDetection& detection);

// Per frame before drawing, while the screen is shown: the bar creeps toward 88 % while the
// worker runs, fills once it is done, holds "You're good to go" for 0.85 s, then leaves.
void advance_first_launch(ShellState& state, float dt);
// Inside the root window.
void draw_first_launch(ShellState& state);
// finish_setup, then the main screen fades and slides in afresh.
void leave_first_launch(ShellState& state);

} // namespace tavrine
