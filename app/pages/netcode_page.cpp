// Netcode: five network modules, and the game picker "Prioritize exe" acts on.
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "app/widgets.h"
#include "engine/target_exe.h"

namespace tavrine {

namespace {

using enum Module;

void exe_picker(ShellState& state) {
    gap(4);
    load_process_list(state, false);
    const int count = static_cast<int>(state.process_list.size());
    const bool chosen = state.game_exe_index >= 0 && state.game_exe_index < count;
    ImGui::SetNextItemWidth(320);
    if (ImGui::BeginCombo("##proc",
                          chosen ? state.process_list[state.game_exe_index].c_str() : "Select game .exe")) {
        for (int i = 0; i < count; ++i) {
            ImGui::PushID(i);
            if (ImGui::Selectable(state.process_list[i].c_str(), i == state.game_exe_index)) {
                state.game_exe_index = i;
                target_exe().set(state.process_list[i]);
            }
            ImGui::PopID();
        }
        ImGui::EndCombo();
    }
    ImGui::SameLine();
    // Centred on the combo, which is a little taller than the button.
    ImGui::SetCursorPosY(ImGui::GetCursorPosY() + (ImGui::GetFrameHeight() - 32) * 0.5f);
    if (ghost_button("Refresh", ImVec2(96, 32))) {
        state.process_list_loaded = false;
        load_process_list(state, true);
    }
}

} // namespace

void draw_netcode_page(ShellState& state) {
    module_grid(PathKind::Netcode);
    if (module_arms().armed(PrioritizeExe)) {
        exe_picker(state);
    }
}

} // namespace tavrine
