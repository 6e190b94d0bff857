#pragma once
// Animation floats kept per ImGui item between frames. They live for the whole process and are
// never cleared (but by the tests' reset): an item that disappears resumes from its last values
// when it comes back. They are kept in AppState (app/app_state.h).

#include <imgui.h>

namespace tavrine {

struct WidgetAnim {
    float hover = 0.0f;
    float on = 0.0f; // the on amount for switches, the press amount for buttons
};

WidgetAnim& widget_anim(ImGuiID id);
// Nav items keep theirs per slot (a page number) instead of per item id.
WidgetAnim& nav_anim(int slot);

// Moves `value` toward `target` with this frame's delta time and marks the shell as animating
// while it has not arrived. Returns the new value.
float animate(float& value, float target, float rate);

} // namespace tavrine
