#include "tweaks/tweaks_state.h"

#include "tweaks/cleanup.h"

#include "engine/rebuild.h"

namespace tavrine {

TweaksState& tweaks_state() {
    static TweaksState state;
    return state;
}

void reset_tweaks_state() {
    rebuild(tweaks_state());
}

std::atomic<char>& target_drive() {
    return tweaks_state().target_drive;
}

} // namespace tavrine
