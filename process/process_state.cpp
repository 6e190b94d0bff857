#include "process/process_state.h"

#include "engine/rebuild.h"

namespace tavrine {

ProcessState& process_state() {
    static ProcessState state;
    return state;
}

void reset_process_state() {
    rebuild(process_state());
}

CullResult& cull_result() {
    return process_state().cull_result;
}

} // namespace tavrine
