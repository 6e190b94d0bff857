#pragma once
// Title presets and the seven-stage deploy: picking a title arms its module stack and targets
// its executable; "Optimise" re-arms the stack and applies it on the deploy thread, stage by
// stage, while the Games page shows the stage and the status text.

#include "engine/run_status.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace tavrine {

inline constexpr std::int32_t kDeployStageCount = 7;

struct DeployStatus {
    std::atomic<std::int32_t> stage{0}; // 0 before the first stage, then 1 to 7
    std::atomic<std::int32_t> stage_count{kDeployStageCount};
    // "Armed %s profile", a stage's label, or the final message. The deploy thread writes it
    // and every frame reads it, so it is handed over whole.
    StatusMessage status_text{159};
};

DeployStatus& deploy_status();

inline constexpr const char* kFortniteDeployedMessage =
    "Fortnite Performance Mode on \xE2\x80\x94 reboot once, then launch";

// Arms the title's stack (every module flag but "Restore point" is overwritten), selects the
// title and says "Armed %s profile". An index outside the catalogue does nothing.
void arm_title_preset(std::int32_t index);

// A tile picked on the Games page: the title's stack armed and its executable targeted.
void pick_title(std::int32_t index);

// The tile's "Optimise": starts the deploy thread through the worker gate. False, with
// nothing changed, while a run or deploy is in progress or another worker is alive; false
// too, with the busy flags cleared again, when no thread could start.
bool start_deploy(std::int32_t index);

// Called as each stage begins, after its number and label are published.
using DeployStageHook = std::function<void(std::int32_t stage, const char* label)>;

// The deploy thread's body: the seven stages. The caller publishes the end (start_deploy's
// thread does; the plan preview runs it on its own thread and prints each stage). With
// `stoppable`, a requested worker stop ends it between two stages. Returns the stages it
// finished: kDeployStageCount, or fewer when it was stopped.
std::int32_t run_deploy(std::int32_t index, const DeployStageHook& on_stage = {}, bool stoppable = false);
// Every lasting setting a deploy of any title writes besides its modules' routines (the
// compatibility layers either way, the Fortnite configuration, each executable's priority),
// with no stage state, hold or cull: what the census of undo's scope runs.
void apply_every_title_setting();

// The labels of the seven stages, in order, as the status text shows them while they run.
std::span<const char* const> deploy_stage_labels();

// True for a status text that ends a deploy ("... optimised ..." or the Fortnite message):
// the completion overlay then names the title.
bool is_deploy_result(std::string_view status_text);

} // namespace tavrine
