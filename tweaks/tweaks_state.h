#pragma once
// Everything the tweaks layer keeps for the program's lifetime, in one record (see
// engine/engine_state.h for the rule): a new member here is covered by the tests' reset.

#include <atomic>

namespace tavrine {

struct TweaksState {
    std::atomic<char> target_drive{'C'}; // the volume "Drive TRIM" acts on (cleanup.h)
};

TweaksState& tweaks_state();

// For tests, and only while no worker runs: the tweaks state as a fresh start has it.
void reset_tweaks_state();

} // namespace tavrine
