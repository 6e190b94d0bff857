#include "runs/runtime_holds.h"

#include "engine/primitives.h"
#include "engine/target_exe.h"
#include "games/title_catalogue.h"
#include "platform/system_state.h"
#include "process/game_clamp.h"
#include "process/holds.h"
#include "tweaks/frames.h"

#include <string>

namespace tavrine {

void game_clamp_step() {
    current_machine().system_state().disable_windows_ghosting();
    const std::string target = target_exe().get();
    if (!target.empty()) {
        clamp_game(target.c_str());
        return;
    }
    clamp_selected_title();
}

void clamp_selected_title() {
    const GameTitle* title = title_at(selected_title().load());
    if (title != nullptr && title->exe != nullptr && title->exe[0] != '\0') {
        clamp_game(title->exe);
    }
}

void apply_runtime_holds(const RuntimeHolds& holds, const char* exe_name) {
    if (holds.timer) {
        hold_timer_resolution();
    }
    if (holds.power_lock) {
        hold_power();
    }
    if (holds.dwm) {
        apply_dwm_mmcss();
    }
    if (holds.standby) {
        purge_standby_list();
    }
    if (holds.working_set) {
        trim_working_sets();
    }
    if (!holds.game_clamp) {
        return;
    }
    current_machine().system_state().disable_windows_ghosting();
    if (exe_name != nullptr && exe_name[0] != '\0') {
        clamp_game(exe_name);
        return;
    }
    clamp_selected_title();
}

} // namespace tavrine
