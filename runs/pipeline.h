#pragma once
// The step pipeline: armed flags become an ordered list of labelled steps that one detached
// worker thread runs while the pages watch `RunStatus`.

#include "runs/modules.h"

#include <functional>
#include <vector>

namespace tavrine {

struct ModuleStep {
    const char* label = nullptr; // constant text, never owned
    std::function<void()> job;
};

// "Audio stability" first, then every armed step of the blocks `path` covers, in block order.
// Flags are read here, once; routines read their own inputs when their step starts.
std::vector<ModuleStep> build_step_list(PathKind path);

// The run button of every path card. Ignored while a run or deploy is in progress.
void build_and_start_run(PathKind path);

// The worker body: publish each label, run the step, count it; "Done" at the end.
void run_steps(std::vector<ModuleStep> steps);

// The completion text of `last_path`.
const char* result_text();

// True while a pipeline worker is running its steps.
bool pipeline_worker_active();

} // namespace tavrine
