#pragma once
// Everything the window keeps for the program's lifetime, in one record (see
// engine/engine_state.h for the rule): a new member here is covered by the tests' reset.
// Main thread only, like every ImGui call.

#include "app/shell_state.h"
#include "app/widget_anim.h"

#include <array>
#include <unordered_map>

namespace tavrine {

// When the Settings page's History card was last drawn, to read the history again when it
// comes into view or a worker ends while it is shown (pages/history_card.cpp).
struct HistoryCardMarks {
    int last_drawn = -2; // frame number
    bool was_busy = false;
};

struct AppState {
    ShellState shell;
    std::unordered_map<ImGuiID, WidgetAnim> widget_anims;
    std::array<WidgetAnim, kPageCount> nav_anims; // one per page
    WidgetAnim spare_nav_anim; // out-of-range slots animate harmlessly here
    HistoryCardMarks history_card;
};

AppState& app_state();

// For tests: the window's state as a fresh start has it.
void reset_app_state();

} // namespace tavrine
