#pragma once
// Everything the process layer keeps for the program's lifetime, in one record (see
// engine/engine_state.h for the rule): a new member here is covered by the tests' reset.

#include "process/cull.h"

namespace tavrine {

struct ProcessState {
    CullResult cull_result; // the last cull's counts, shown on the Latency page
};

ProcessState& process_state();

// For tests, and only while no worker runs: the process state as a fresh start has it.
void reset_process_state();

} // namespace tavrine
