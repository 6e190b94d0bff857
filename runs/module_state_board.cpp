#include "runs/module_state_board.h"

#include "engine/snapshot_reader.h"
#include "platform/machine.h"
#include "runs/runs_state.h"

#include <string_view>

namespace tavrine {

namespace {

PublishedSnapshot<ModuleStateSnapshot>& published() {
    return runs_state().module_states;
}

void publish(const std::vector<ModuleStateRow>& rows) {
    published().change([&](ModuleStateSnapshot& next) {
        for (const ModuleStateRow& row : rows) {
            if (row.module) {
                next[static_cast<std::size_t>(*row.module)] = row.state;
            } else if (row.step_label == std::string_view("CPU cull")) {
                for (const ModuleInfo& info : module_table()) {
                    if (is_cull_option(info.module)) {
                        next[static_cast<std::size_t>(info.module)] = row.state;
                    }
                }
            }
        }
    });
}

void compute_states(int path) {
    // No override is installed on this thread, so this is the process-wide machine.
    publish(compute_module_states(static_cast<PathKind>(path), current_machine()));
}

LatestRequestThread& computer() {
    static LatestRequestThread thread(compute_states);
    return thread;
}

} // namespace

void request_module_states(PathKind path) {
    computer().request(static_cast<int>(path));
}

std::shared_ptr<const ModuleStateSnapshot> module_states() {
    return published().get();
}

bool module_state_worker_active() {
    return computer().active();
}

} // namespace tavrine
