#include "app/app_state.h"

#include "engine/rebuild.h"

namespace tavrine {

AppState& app_state() {
    static AppState state;
    return state;
}

void reset_app_state() {
    rebuild(app_state());
}

ShellState& shell_state() {
    return app_state().shell;
}

WidgetAnim& widget_anim(ImGuiID id) {
    return app_state().widget_anims[id];
}

WidgetAnim& nav_anim(int slot) {
    AppState& state = app_state();
    return slot >= 0 && slot < static_cast<int>(state.nav_anims.size())
               ? state.nav_anims[static_cast<std::size_t>(slot)]
               : state.spare_nav_anim;
}

} // namespace tavrine
