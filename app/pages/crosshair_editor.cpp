#include "app/pages/crosshair_editor.h"

namespace tavrine {

namespace {

using S = CrosshairSettings;
using K = EditorRowKind;
using W = ShownWhen;

constexpr const char* kStyles[] = {"Cross",          "Dot",     "Circle",  "Cross + Dot",
                                   "Cross + Circle", "T-Shape", "Brackets"};
constexpr const char* kFireDetect[] = {"Left mouse", "Right mouse", "Either button", "Any mouse move"};

constexpr EditorRow int_row(const char* label, int S::*field, int min, int max, W shown = W::Always,
                            const char* format = "%d") {
    return {.label = label,
            .kind = K::IntSlider,
            .shown = shown,
            .int_field = field,
            .min = static_cast<float>(min),
            .max = static_cast<float>(max),
            .format = format};
}
constexpr EditorRow float_row(const char* label, float S::*field, float min, float max, const char* format,
                              W shown) {
    return {.label = label,
            .kind = K::FloatSlider,
            .shown = shown,
            .float_field = field,
            .min = min,
            .max = max,
            .format = format};
}
constexpr EditorRow combo_row(const char* label, int S::*field, const char* const* items, int count,
                              W shown) {
    return {.label = label,
            .kind = K::IntSlider,
            .shown = shown,
            .int_field = field,
            .items = items,
            .item_count = count};
}
constexpr EditorRow switch_row(const char* label, bool S::*field, W shown = W::Always,
                               const char* tooltip = nullptr) {
    return {.label = label, .kind = K::Toggle, .shown = shown, .bool_field = field, .tooltip = tooltip};
}
constexpr EditorRow colour_row(const char* label, CrosshairColour S::*field, W shown, bool with_alpha) {
    return {.label = label,
            .kind = K::ColourEdit,
            .shown = shown,
            .colour_field = field,
            .with_alpha = with_alpha};
}
constexpr EditorRow text_row(const char* label, W shown = W::Always) {
    return {.label = label, .kind = K::Text, .shown = shown};
}

constexpr EditorRow kRows[] = {
    combo_row("Style", &S::style, kStyles, 7, W::Always),
    int_row("Length", &S::length, 0, 40),
    int_row("Thickness", &S::thickness, 1, 12),
    int_row("Gap", &S::gap, 0, 30),
    int_row("Dot / circle size", &S::size, 1, 40),
    int_row("Rotation", &S::rotation, 0, 45),
    int_row("Offset X", &S::offset_x, -200, 200),
    int_row("Offset Y", &S::offset_y, -200, 200),
    switch_row("Center dot", &S::center_dot),
    switch_row("Outline", &S::outline),
    int_row("Outline thickness", &S::outline_thickness, 1, 6, W::OutlineOn),
    text_row("Color / opacity"),
    int_row("Overlay opacity", &S::opacity, 5, 100, W::Always, "%d%%"),
    switch_row("RGB rainbow cycle", &S::rainbow),
    float_row("Rainbow speed", &S::rainbow_speed, 0.05f, 2.0f, "%.2f", W::RainbowOn),
    float_row("Saturation", &S::rainbow_saturation, 0.2f, 1.0f, "%.2f", W::RainbowOn),
    float_row("Brightness", &S::rainbow_brightness, 0.2f, 1.0f, "%.2f", W::RainbowOn),
    colour_row("Crosshair RGB", &S::colour, W::RainbowOff, false),
    // The outline's alpha fades the outline in the preview.
    colour_row("Outline RGB", &S::outline_colour, W::Always, true),
    text_row("Recoil reactivity"),
    switch_row("React to recoil / fire", &S::react_to_recoil, W::Always,
               "Blooms gap/length while firing and kicks with mouse recoil."),
    combo_row("Fire detect", &S::fire_detect, kFireDetect, 4, W::ReactionOn),
    float_row("Sensitivity", &S::sensitivity, 0.2f, 3.0f, "%.2f", W::ReactionOn),
    float_row("Max spread", &S::max_spread, 2.0f, 40.0f, "%.0f px", W::ReactionOn),
    float_row("Recovery", &S::recovery, 2.0f, 20.0f, "%.1f", W::ReactionOn),
    float_row("Kick strength", &S::kick_strength, 0.0f, 2.0f, "%.2f", W::ReactionOn),
    float_row("Max kick", &S::max_kick, 4.0f, 60.0f, "%.0f px", W::ReactionOn),
    switch_row("Horizontal recoil", &S::horizontal_recoil, W::ReactionOn),
    float_row("ADS sway", &S::ads_sway, 0.0f, 1.0f, "%.2f", W::ReactionOn),
    text_row("Live spread %.1f  kick %.0f,%.0f", W::ReactionOn),
    switch_row("Center on primary monitor", &S::center_on_primary),
};

} // namespace

std::span<const EditorRow> crosshair_editor_rows() {
    return kRows;
}

bool editor_row_shown(const EditorRow& row, const CrosshairSettings& s) {
    switch (row.shown) {
    case ShownWhen::OutlineOn:
        return s.outline;
    case ShownWhen::RainbowOn:
        return s.rainbow;
    case ShownWhen::RainbowOff:
        return !s.rainbow;
    case ShownWhen::ReactionOn:
        return s.react_to_recoil;
    case ShownWhen::Always:
        break;
    }
    return true;
}

} // namespace tavrine
