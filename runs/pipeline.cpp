#include "runs/pipeline.h"

#include "engine/history.h"
#include "engine/path_table.h"
#include "engine/run_status.h"
#include "engine/worker_gate.h"
#include "process/cull.h"
#include "tweaks/latency.h"

namespace tavrine {

namespace {

constexpr const char* kAudioStabilityLabel = "Audio stability";
constexpr const char* kCpuCullLabel = "CPU cull";

bool known_path(PathKind path) {
    const auto value = static_cast<std::int32_t>(path);
    return value >= 0 && value <= 5;
}

} // namespace

std::vector<ModuleStep> build_step_list(PathKind path) {
    std::vector<ModuleStep> steps;
    const ModuleArms& arms = module_arms();
    const auto runs = [&](const ModuleInfo& info) {
        return known_path(path) && info.routine != nullptr && path_covers(path, info.block) &&
               arms.armed(info.module);
    };
    // The checkpoint must hold the machine as it was before this run, so it comes before any
    // change, "Audio stability" included.
    const ModuleInfo& checkpoint = module_info(Module::RestorePoint);
    if (runs(checkpoint)) {
        steps.push_back({checkpoint.step_label, checkpoint.routine});
    }
    steps.push_back({kAudioStabilityLabel, restore_sane_defaults});
    if (!known_path(path)) {
        return steps;
    }
    for (const ModuleInfo& info : module_table()) {
        if (info.module != Module::RestorePoint && runs(info)) {
            steps.push_back({info.step_label, info.routine});
        }
    }
    if (path_covers(path, PathKind::CpuCull) && arms.any_cull_option()) {
        // The cull options share one step, read here with every other flag.
        steps.push_back({kCpuCullLabel, [options = read_cull_options()] {
                             run_cpu_cull(options);
                         }});
    }
    return steps;
}

void run_steps(std::vector<ModuleStep> steps) {
    RunStatus& status = run_status();
    HistoryRun history(path_name(status.last_path.load()));
    std::size_t done = 0;
    for (ModuleStep& step : steps) {
        // A quit asks the run to stop here, between two steps, never inside one.
        if (worker_stop_requested()) {
            history.finish_stopped(static_cast<int>(done), static_cast<int>(steps.size()));
            status.current_label.exchange("Stopped");
            return;
        }
        std::function<void()> job = std::move(step.job);
        status.current_label.exchange(shown_label(step.label));
        if (job) {
            job();
        }
        status.completed_steps.fetch_add(1);
        ++done;
    }
    history.finish(); // the history is closed before the run shows as done
    status.current_label.exchange("Done");
}

void build_and_start_run(PathKind path) {
    RunStatus& status = run_status();
    if (status.run_in_progress.load() || status.deploy_in_progress.load()) {
        return;
    }
    WorkerTicket ticket = admit_worker(WorkerKind::Pipeline);
    if (!ticket) {
        return; // a deploy, a restore point or the last run's worker is still at work
    }
    status.completed_steps.exchange(0);
    status.total_steps.store(0);
    status.current_label.exchange("Preparing");
    status.result_veil_shown.store(false);
    status.last_path.store(path);

    std::vector<ModuleStep> steps = build_step_list(path);
    status.total_steps.store(static_cast<int>(steps.size()));
    status.status_message.set("");
    status.run_in_progress.store(true);
    if (!start_worker(std::move(ticket),
                      [steps = std::move(steps)]() mutable { run_steps(std::move(steps)); })) {
        // No thread, no run: undo the busy state so the buttons work again, and say why.
        status.run_in_progress.store(false);
        status.status_message.set("The run could not start: the system refused a new thread");
    }
}

const char* result_text() {
    return path_facts(run_status().last_path.load()).completion;
}

bool pipeline_worker_active() {
    return active_worker() == WorkerKind::Pipeline;
}

} // namespace tavrine
