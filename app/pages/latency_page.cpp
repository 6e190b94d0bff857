// Latency: ten input and power modules, and the game picker the game clamp acts on.
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "engine/target_exe.h"

namespace tavrine {

namespace {

using enum Module;

constexpr ModuleRowText kRows[] = {
    {InputDelay, "Raw mouse", "Queue tune for aim", "Mouse/keyboard queue tweaks for aim."},
    {MouseAccel, "Mouse accel", "1:1 cursor feel", "Disables Windows mouse acceleration."},
    {Usb, "USB interrupt", "Selective suspend off", "Cuts USB selective suspend hitching."},
    {PowerPlan, "Power plan", "High performance", "Performance power plan."},
    {GameMode, "Game Mode", "Windows responsiveness", "Windows Game Mode + responsiveness."},
    {Notifications, "Toasts off", "Mute Windows notifications",
     "Disables toast notifications that steal focus."},
    {StickyKeys, "Sticky keys", "No accessibility popups", "Stops sticky/filter key prompts mid-game."},
    {Timer, "Timer 1ms", "NtSetTimerResolution",
     "Locks 0.5\xE2\x80\x93"
     "1ms timer resolution while this app is open."},
    {PowerLock, "Power lock", "No sleep / throttle",
     "Holds display+CPU awake and disables execution-speed throttling."},
    {GameClamp, "Game clamp", "Priority + IO + main thread",
     "HIGH_PRIORITY, IO high, main-thread boost, power throttle off on the game."},
};

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
    module_grid(kRows);
    if (module_arms().armed(GameClamp)) {
        game_picker(state);
    }
}

} // namespace tavrine
