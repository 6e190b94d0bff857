#pragma once
// The Crosshair page's editor as data: one row per control, in page order, with the field it
// edits and when it is shown. The page walks this table; tests read which rows a record shows.

#include "overlays/crosshair.h"

#include <span>

namespace tavrine {

enum class EditorRowKind : unsigned char {
    Text,      // a caption; "Live spread ..." is filled from the motion state
    IntSlider, // also the two combos, by `items`
    FloatSlider,
    Toggle,
    ColourEdit,
};

enum class ShownWhen : unsigned char { Always, OutlineOn, RainbowOn, RainbowOff, ReactionOn };

struct EditorRow {
    const char* label;
    EditorRowKind kind;
    ShownWhen shown = ShownWhen::Always;
    int CrosshairSettings::*int_field = nullptr;
    float CrosshairSettings::*float_field = nullptr;
    bool CrosshairSettings::*bool_field = nullptr;
    CrosshairColour CrosshairSettings::*colour_field = nullptr;
    float min = 0.0f;
    float max = 0.0f;
    const char* format = nullptr;
    const char* const* items = nullptr; // a combo's entries
    int item_count = 0;
    const char* tooltip = nullptr;
    bool with_alpha = false; // colour edit with an alpha bar
};

std::span<const EditorRow> crosshair_editor_rows();
bool editor_row_shown(const EditorRow& row, const CrosshairSettings& settings);

} // namespace tavrine
