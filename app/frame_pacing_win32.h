#pragma once
// What the frame pacing reads from the system, and the waits it asks for (see
// app/frame_pacing.h for the decision itself).

#include "app/frame_pacing.h"

#include <windows.h>

namespace tavrine {

// Minimised, covered (as the swap chain last reported it), in front, dragged.
WindowPresence read_window_presence(HWND hwnd, bool occluded, bool dragging);
// Sleeps until a message arrives for this thread or `ms` milliseconds pass; never spins.
void wait_for_messages(int ms);
// Whether the window is still covered, asked of the swap chain without presenting a frame.
bool swap_chain_still_occluded();
// Milliseconds since the previous call to mark_frame_presented (a large value before the first).
double ms_since_frame_presented();
void mark_frame_presented();

} // namespace tavrine
