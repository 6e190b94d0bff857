// Crosshair: the live preview, the overlay switch and presets, and the editor for every field
// of the crosshair record. Each change is saved at once.
#include "app/pages/crosshair_editor.h"
#include "app/pages/crosshair_preview.h"
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "app/widgets.h"
#include "overlays/crosshair.h"
#include "overlays/crosshair_motion.h"

#include <imgui.h>

namespace tavrine {

namespace {

// True when the row changed its field this frame.
bool draw_row(const EditorRow& row, CrosshairSettings& s) {
    switch (row.kind) {
    case EditorRowKind::Text:
        if (row.shown == ShownWhen::ReactionOn) { // the live line
            const CrosshairMotion& m = crosshair_motion();
            ImGui::Text("Live spread %.1f  kick %.0f,%.0f", static_cast<double>(m.bloom),
                        static_cast<double>(m.kick_x), static_cast<double>(m.kick_y));
        } else {
            ImGui::TextUnformatted(row.label);
        }
        return false;
    case EditorRowKind::IntSlider:
        if (row.items) {
            return ImGui::Combo(row.label, &(s.*row.int_field), row.items, row.item_count);
        }
        return ImGui::SliderInt(row.label, &(s.*row.int_field), static_cast<int>(row.min),
                                static_cast<int>(row.max), row.format);
    case EditorRowKind::FloatSlider:
        return ImGui::SliderFloat(row.label, &(s.*row.float_field), row.min, row.max, row.format);
    case EditorRowKind::Toggle:
        return toggle_row(row.label, s.*row.bool_field, row.tooltip);
    case EditorRowKind::ColourEdit: {
        float* rgba = (s.*row.colour_field).data();
        return row.with_alpha ? ImGui::ColorEdit4(row.label, rgba, ImGuiColorEditFlags_AlphaBar)
                              : ImGui::ColorEdit3(row.label, rgba);
    }
    }
    return false;
}

bool overlay_and_presets(CrosshairSettings& s) {
    const bool toggled = toggle_row("Enable overlay (F8)", s.enabled,
                                    "Click-through topmost overlay. Works best in borderless/windowed.");
    gap_after_item(6);
    ImGui::TextUnformatted("Presets");
    for (int i = 0; i < kCrosshairPresetCount; ++i) {
        if (i % 3 != 0) {
            ImGui::SameLine(0, 6);
        }
        if (ghost_button(kCrosshairPresetNames[i], ImVec2(72, 28))) {
            apply_crosshair_preset(i); // saves by itself
        }
    }
    return toggled;
}

} // namespace

void draw_crosshair_page(ShellState&) {
    CrosshairSettings& s = crosshair_settings();
    draw_crosshair_preview(ImGui::GetCursorScreenPos());
    ImGui::Dummy(ImVec2(240, 240));

    bool changed = false;
    ImGui::SameLine(0, 18);
    if (ImGui::BeginChild("##xhctrl", ImVec2(ImGui::GetContentRegionAvail().x, 240), ImGuiChildFlags_None)) {
        changed = overlay_and_presets(s);
    }
    ImGui::EndChild();

    gap_after_item(8);
    const ImVec2 rest = ImGui::GetContentRegionAvail();
    if (ImGui::BeginChild("##xhscroll", ImVec2(rest.x, rest.y - 4), ImGuiChildFlags_None)) {
        for (const EditorRow& row : crosshair_editor_rows()) {
            // Evaluated row by row, so a switch shows or hides the rows under it in the same frame.
            if (editor_row_shown(row, s)) {
                changed = draw_row(row, s) || changed;
            }
        }
        if (ghost_button("Save profile", ImVec2(ImGui::GetContentRegionAvail().x, 36))) {
            changed = true;
        }
    }
    ImGui::EndChild();

    if (changed) {
        save_crosshair_settings();
    }
}

} // namespace tavrine
