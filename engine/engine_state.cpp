#include "engine/engine_state.h"

#include "engine/rebuild.h"

namespace tavrine {

EngineState& engine_state() {
    static EngineState state;
    return state;
}

void reset_engine_state() {
    rebuild(engine_state());
}

RunStatus& run_status() {
    return engine_state().run_status;
}

TargetExe& target_exe() {
    return engine_state().target_exe;
}

std::atomic<std::int32_t>& selected_title() {
    return engine_state().selected_title;
}

} // namespace tavrine
