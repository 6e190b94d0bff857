#include "app/widget_anim.h"

#include "app/animation.h"
#include "app/shell_state.h"

namespace tavrine {

float animate(float& value, float target, float rate) {
    value = approach(value, target, rate, ImGui::GetIO().DeltaTime);
    if (value != target) {
        shell_state().animating = true;
    }
    return value;
}

} // namespace tavrine
