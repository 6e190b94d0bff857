#include "runs/runs_state.h"

#include "engine/rebuild.h"

namespace tavrine {

RunsState& runs_state() {
    static RunsState state;
    return state;
}

void reset_runs_state() {
    rebuild(runs_state());
}

ModuleArms& module_arms() {
    return runs_state().module_arms;
}

std::atomic<std::int32_t>& profile_preset() {
    return runs_state().profile_preset;
}

DeployStatus& deploy_status() {
    return runs_state().deploy_status;
}

GpuDetection& gpu_detection() {
    return runs_state().gpu_detection;
}

WorkerStarter gpu_worker_starter() {
    return runs_state().gpu_worker_starter.load();
}

WorkerStarter set_gpu_worker_starter(WorkerStarter starter) {
    return runs_state().gpu_worker_starter.exchange(starter != nullptr ? starter : start_detached_worker);
}

} // namespace tavrine
