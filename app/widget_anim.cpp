#include "app/widget_anim.h"

#include "app/animation.h"
#include "app/shell_state.h"

#include <array>
#include <unordered_map>

namespace tavrine {

// Main thread only, like every ImGui call.
WidgetAnim& widget_anim(ImGuiID id) {
    static std::unordered_map<ImGuiID, WidgetAnim> anims;
    return anims[id];
}

WidgetAnim& nav_anim(int slot) {
    static std::array<WidgetAnim, kPageCount> anims;
    static WidgetAnim spare; // out-of-range slots animate harmlessly here
    return slot >= 0 && slot < kPageCount ? anims[static_cast<std::size_t>(slot)] : spare;
}

float animate(float& value, float target, float rate) {
    value = approach(value, target, rate, ImGui::GetIO().DeltaTime);
    if (value != target) {
        shell_state().animating = true;
    }
    return value;
}

} // namespace tavrine
