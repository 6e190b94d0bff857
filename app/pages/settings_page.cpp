// Settings: the HUD card, the overlay toggles, the GPU card, the App card (idle rendering,
// Start with Windows, surface opacity), the Profile card and the hot-key line.
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "app/widgets.h"
#include "engine/start_with_windows.h"
#include "overlays/crosshair.h"
#include "overlays/hud.h"

#include <iterator>

namespace tavrine {

namespace {

constexpr const char* kCorners[] = {"Top left", "Top right", "Bottom left", "Bottom right"};
static_assert(std::size(kCorners) == kHudCornerRange.slider_max + 1, "one name for each corner");

// A change that shows on the panel: redraw it, then save.
void shown_change(bool changed) {
    if (changed) {
        request_hud_redraw();
        save_hud_settings();
    }
}

void hud_card() {
    HudSettings& hud = hud_settings();
    section_header("Overlays", "HUD", hud.enabled ? "Live" : "Off");
    if (toggle_row("Hardware HUD (F7)", hud.enabled,
                   "CPU, GPU, VRAM, clocks, temp. Click-through, polls only while on.")) {
        request_hud_redraw();
        if (!hud.enabled) {
            switch_hud_sources_off();
        }
        save_hud_settings();
    }
    if (toggle_row("Crosshair overlay (F8)", crosshair_settings().enabled,
                   "Aim overlay. Full editor lives on the Crosshair tab.")) {
        save_crosshair_settings();
    }
    gap_after_item(6);
    shown_change(toggle_row("Show CPU", hud.show_cpu, nullptr));
    shown_change(toggle_row("Show GPU / VRAM", hud.show_gpu, nullptr));
    shown_change(toggle_row("Show RAM", hud.show_ram, nullptr));
    shown_change(toggle_row("Show GPU temp", hud.show_gpu_temperature,
                            "NVML / AMD ADL when the driver is installed."));
    shown_change(toggle_row("Show clocks", hud.show_clocks, nullptr));
    // Ping and the poll interval take effect at the next poll: saved only.
    if (toggle_row("Show ping (1.1.1.1)", hud.show_ping,
                   "ICMP every poll. Off by default so it costs nothing.")) {
        save_hud_settings();
    }
    gap_after_item(4);
    ImGui::SetNextItemWidth(280);
    shown_change(ImGui::Combo("HUD corner", &hud.corner, kCorners, static_cast<int>(std::size(kCorners))));
    ImGui::SetNextItemWidth(280);
    shown_change(ImGui::SliderInt("HUD opacity", &hud.opacity, kHudOpacityRange.slider_min,
                                  kHudOpacityRange.slider_max, "%d%%"));
    ImGui::SetNextItemWidth(280);
    if (ImGui::SliderInt("HUD poll (ms)", &hud.poll_ms, kHudPollRange.slider_min, kHudPollRange.slider_max,
                         "%d")) {
        save_hud_settings();
    }
    ImGui::SetNextItemWidth(280);
    shown_change(ImGui::SliderFloat("HUD scale", &hud.scale, kHudScaleRange.slider_min,
                                    kHudScaleRange.slider_max, "%.2f"));
}

void app_card(ShellState& state) {
    section_header("App", "Loader", "UI");
    const float width = (ImGui::GetContentRegionAvail().x - 10) / 2;
    module_row("Eco renderer", "Cap idle loader FPS", state.eco_renderer, "Caps idle loader FPS.", width);
    ImGui::SameLine(0, 10);
    module_row("Deep idle", "Sleep render loop", state.deep_idle, "Sleeps render loop when idle.", width);
    gap_after_item(6);
    bool wanted = state.start_with_windows;
    if (toggle_row("Start with Windows", wanted, state.start_with_windows_tip.c_str())) {
        // The toggle shows what the system now holds, so a refused path leaves it off.
        set_start_with_windows(wanted);
        state.start_with_windows = startup_entry_exists();
    }
    gap_after_item(6);
    ImGui::TextUnformatted("Surface opacity");
    ImGui::SetNextItemWidth(280);
    ImGui::SliderInt("##opacity", &state.surface_opacity, 70, 100, "%d%%");
}

} // namespace

void draw_settings_page(ShellState& state) {
    ImGui::TextWrapped(
        "Overlays stay idle until you enable them. Sensors (NVML / DXGI / ping) are not opened "
        "in the background.");
    gap_after_item(10);
    hud_card();
    gap_after_item(16);
    draw_gpu_card(state);
    gap_after_item(16);
    app_card(state);
    gap_after_item(16);
    draw_profile_card(state);
    gap_after_item(16);
    draw_history_card();
    gap_after_item(10);
    ImGui::TextUnformatted("DELETE quits  \xC2\xB7  F7 HUD  \xC2\xB7  F8 crosshair");
}

} // namespace tavrine
