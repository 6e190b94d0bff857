#include "gpu/gpu_state.h"

#include "engine/rebuild.h"

namespace tavrine {

GpuState& gpu_state() {
    static GpuState state;
    return state;
}

void reset_gpu_state() {
    rebuild(gpu_state());
}

} // namespace tavrine
