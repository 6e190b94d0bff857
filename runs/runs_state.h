#pragma once
// Everything the runs layer keeps for the program's lifetime, in one record (see
// engine/engine_state.h for the rule): a new member here is covered by the tests' reset.

#include "engine/snapshot_reader.h"
#include "runs/deploy.h"
#include "runs/gpu_setup.h"
#include "runs/module_state.h"
#include "runs/modules.h"

#include <atomic>
#include <cstdint>

namespace tavrine {

struct RunsState {
    ModuleArms module_arms;
    std::atomic<std::int32_t> profile_preset{preset_number(ProfilePresetIndex::Competitive)};
    DeployStatus deploy_status;
    GpuDetection gpu_detection;
    std::atomic<WorkerStarter> gpu_worker_starter{start_detached_worker};
    // The path pages' module states as last published (module_state_board.cpp).
    PublishedSnapshot<ModuleStateSnapshot> module_states;
};

RunsState& runs_state();

// For tests, and only while no worker runs: the runs state as a fresh start has it.
void reset_runs_state();

} // namespace tavrine
