// Latency: ten input and power modules, and the game picker the game clamp acts on.
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "engine/target_exe.h"

namespace tavrine {

namespace {

using enum Module;

void game_picker(ShellState& state) {
    gap(4);
    load_process_list(state, false);
    const std::string target = target_exe().get();
    ImGui::SetNextItemWidth(320);
    if (ImGui::BeginCombo("##latproc",
                          target.empty() ? "Select game .exe (or pick a title in Games)" : target.c_str())) {
        for (std::size_t i = 0; i < state.process_list.size(); ++i) {
            const std::string& name = state.process_list[i];
            const bool selected = name == target;
            ImGui::PushID(static_cast<int>(i));
            if (ImGui::Selectable(name.c_str(), selected)) {
                target_exe().set(name);
            }
            if (selected) {
                ImGui::SetItemDefaultFocus(); // opens scrolled to the current choice
            }
            ImGui::PopID();
        }
        ImGui::EndCombo();
    }
}

} // namespace

void draw_latency_page(ShellState& state) {
    module_grid(PathKind::Latency);
    if (module_arms().armed(GameClamp)) {
        game_picker(state);
    }
}

} // namespace tavrine
