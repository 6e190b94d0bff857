// The deploy of one title: the stack re-armed, then seven stages on the deploy thread. Each
// stage runs the armed modules through the same routines the pipeline's steps call.
#include "runs/deploy.h"

#include "engine/history.h"
#include "engine/target_exe.h"
#include "engine/worker_gate.h"
#include "games/compat_layers.h"
#include "games/fortnite_config.h"
#include "games/title_catalogue.h"
#include "process/cull.h"
#include "process/game_clamp.h"
#include "process/holds.h"
#include "runs/modules.h"
#include "runs/runtime_holds.h"
#include "tweaks/latency.h"
#include "tweaks/netcode.h"

#include <cstdio>
#include <string>

namespace tavrine {

namespace {

using enum Module;

constexpr std::int32_t kFortnite = 2;

constexpr const char* kStageLabels[kDeployStageCount] = {
    "Arming profile...",
    "Input + power...",
    "Frames + GPU...",
    "Netcode...",
    "Background cull...",
    "Clamping game process...",
    "Done",
};

// Armed modules of a stage, in the order the stage applies them.
constexpr Module kInputAndPower[] = {PowerPlan, InputDelay, MouseAccel, Usb, Notifications, StickyKeys};
constexpr Module kFramesAndGpu[] = {GameDvr, GameMode, Fullscreen, Mmcss,   CpuSchedule, GpuProfile,
                                    Ram,     Hags,     VisualFx,   SysMain, Hibernate};
constexpr Module kNetcode[] = {NetworkStack, WiFi, FlushDns, Nagle, TempFiles};
// The cull options that make the background-cull stage cull ("Startup" and "Office BG" alone do not).
constexpr Module kCullTriggers[] = {CullBloatList, CullOemSuite,  CullUpdaters,
                                    CullCloudSync, CullDeepSweep, CullServices};
// Launchers and helpers that compete with any game, demoted on every deploy.
constexpr const char* kDemoted[] = {"EpicGamesLauncher.exe", "EpicWebHelper.exe", "FortniteLauncher.exe",
                                    "CrashReportClient.exe"};

// The titles whose games need the desktop's fullscreen optimisations left on.
bool keeps_fullscreen_optimisations(std::int32_t index) {
    return index == 15 || index == 16 || index == 17;
}

// Each armed module through its pipeline step's routine, so a stage and a path run can never
// apply the same module differently.
void run_armed(std::span<const Module> modules) {
    for (const Module module : modules) {
        const StepRoutine routine = module_info(module).routine;
        if (module_arms().armed(module) && routine != nullptr) {
            routine();
        }
    }
}

bool any_armed(std::span<const Module> modules) {
    for (const Module module : modules) {
        if (module_arms().armed(module)) {
            return true;
        }
    }
    return false;
}

// False, with nothing published, when a quit asks the deploy to stop before this stage.
bool begin_stage(std::int32_t stage, const DeployStageHook& on_stage, bool stoppable) {
    if (stoppable && worker_stop_requested()) {
        return false;
    }
    DeployStatus& deploy = deploy_status();
    const char* label = kStageLabels[stage - 1];
    deploy.stage.store(stage);
    deploy.stage_count.store(kDeployStageCount);
    deploy.status_text.set(label);
    run_status().current_label.exchange(label);
    if (on_stage) {
        on_stage(stage, label);
    }
    return true;
}

void finish_deploy(std::int32_t finished) {
    RunStatus& status = run_status();
    status.completed_steps.exchange(finished);
    status.deploy_in_progress.store(false);
    status.run_in_progress.store(false);
    // A deploy stopped by a quit shows no result: the program is on its way out.
    status.result_veil_shown.store(finished == kDeployStageCount);
    if (finished != kDeployStageCount) {
        status.current_label.exchange("Stopped");
    }
}

} // namespace

std::span<const char* const> deploy_stage_labels() {
    return kStageLabels;
}

bool is_deploy_result(std::string_view status_text) {
    return status_text.find("optimised") != std::string_view::npos || status_text == kFortniteDeployedMessage;
}

void pick_title(std::int32_t index) {
    const GameTitle* title = title_at(index);
    if (title == nullptr) {
        return;
    }
    selected_title().store(index);
    arm_title_preset(index);
    target_exe().set(title->exe != nullptr ? title->exe : "");
}

std::int32_t run_deploy(std::int32_t index, const DeployStageHook& on_stage, bool stoppable) {
    const GameTitle* title = title_at(index);
    if (title == nullptr) {
        return 0;
    }
    const std::string exe = title->exe != nullptr ? title->exe : "";

    if (!begin_stage(1, on_stage, stoppable)) {
        return 0;
    }
    restore_sane_defaults();
    arm_title_preset(index);
    if (!exe.empty()) {
        if (keeps_fullscreen_optimisations(index)) {
            clear_fullscreen_layer(exe);
        } else {
            set_fullscreen_layer(exe);
        }
    }

    if (!begin_stage(2, on_stage, stoppable)) {
        return 1;
    }
    run_armed(kInputAndPower);

    if (!begin_stage(3, on_stage, stoppable)) {
        return 2;
    }
    if (index == kFortnite) {
        apply_fortnite_performance_config();
    }
    run_armed(kFramesAndGpu);

    if (!begin_stage(4, on_stage, stoppable)) {
        return 3;
    }
    run_armed(kNetcode);

    if (!begin_stage(5, on_stage, stoppable)) {
        return 4;
    }
    if (any_armed(kCullTriggers)) {
        run_cpu_cull(read_cull_options());
    }

    if (!begin_stage(6, on_stage, stoppable)) {
        return 5;
    }
    if (!exe.empty() && module_arms().armed(PrioritizeExe)) {
        prioritize_exe(exe);
    }
    apply_runtime_holds(read_runtime_holds(), exe.c_str());
    for (const char* name : kDemoted) {
        demote_process(name);
    }

    if (!begin_stage(7, on_stage, stoppable)) {
        return 6;
    }
    if (index == kFortnite) {
        deploy_status().status_text.set(kFortniteDeployedMessage);
    } else {
        char text[160];
        std::snprintf(text, sizeof text, "%s optimised \xE2\x80\x94 launch the game", title->name);
        deploy_status().status_text.set(text);
    }
    return kDeployStageCount;
}

void apply_every_title_setting() {
    for (std::int32_t index = 0; index < kTitleCount; ++index) {
        const GameTitle* title = title_at(index);
        if (title != nullptr && title->exe != nullptr && title->exe[0] != '\0') {
            set_fullscreen_layer(title->exe);
            clear_fullscreen_layer(title->exe);
            prioritize_exe(title->exe);
        }
    }
    apply_fortnite_performance_config();
}

bool start_deploy(std::int32_t index) {
    RunStatus& status = run_status();
    if (status.run_in_progress.load() || status.deploy_in_progress.load()) {
        return false;
    }
    // A path run's worker may outlive run_in_progress (a page change clears it): the gate
    // keeps the two apart.
    WorkerTicket ticket = admit_worker(WorkerKind::Deploy);
    if (!ticket) {
        return false;
    }
    selected_title().store(index);
    if (const GameTitle* title = title_at(index); title != nullptr && title->exe != nullptr) {
        target_exe().set(title->exe);
    }
    status.deploy_in_progress.store(true);
    status.run_in_progress.store(true);
    status.result_veil_shown.store(false);
    status.completed_steps.exchange(0);
    status.total_steps.store(kDeployStageCount);
    status.last_path.store(PathKind::All);
    DeployStatus& deploy = deploy_status();
    deploy.stage.store(0);
    deploy.stage_count.store(kDeployStageCount);

    if (!start_worker(std::move(ticket), [index] {
            std::int32_t finished = 0;
            {
                HistoryRun history("deploy");
                finished = run_deploy(index, {}, true);
                if (finished != kDeployStageCount) {
                    history.finish_stopped(finished, kDeployStageCount);
                }
            } // the history is closed before the deploy shows as done
            finish_deploy(finished);
        })) {
        // No thread: nothing ran, so nothing is shown; the status text keeps what it said.
        status.deploy_in_progress.store(false);
        status.run_in_progress.store(false);
        return false;
    }
    return true;
}

} // namespace tavrine
