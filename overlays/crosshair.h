#pragma once
// The crosshair overlay's settings record and the operations the shell and the pages call:
// load and save "crosshair.cfg", the presets, the F8 toggle, and the per-frame update of the
// overlay window. Everything here runs on the main thread only.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrine {

// R, G, B, A, each 0..1.
using CrosshairColour = std::array<float, 4>;

enum class CrosshairStyle : int {
    Cross = 0,
    Dot = 1,
    Circle = 2,
    CrossDot = 3,
    CrossCircle = 4,
    TShape = 5,
    Brackets = 6,
};

enum class FireDetect : int { LeftMouse = 0, RightMouse = 1, EitherButton = 2, AnyMouseMove = 3 };

// In file order. Ranges other than the three load clamps (style, opacity, fire detect) are the
// page controls' business: a hand-edited file can carry anything, and the overlay copes.
struct CrosshairSettings {
    bool enabled = false;
    int style = 3;
    int length = 8;
    int thickness = 2;
    int gap = 4;
    int size = 4; // dot or circle size
    bool outline = true;
    int outline_thickness = 1;
    CrosshairColour colour{0.0f, 1.0f, 0.35f, 1.0f};
    CrosshairColour outline_colour{0.0f, 0.0f, 0.0f, 0.85f};
    bool rainbow = false;
    float rainbow_speed = 0.35f; // hue cycles per second
    float rainbow_saturation = 1.0f;
    float rainbow_brightness = 1.0f;
    int offset_x = 0;
    int offset_y = 0;
    int rotation = 0; // degrees, clockwise
    bool center_dot = true;
    bool center_on_primary = true;
    int opacity = 92; // percent
    bool react_to_recoil = true;
    int fire_detect = 0;
    float sensitivity = 1.15f;
    float max_spread = 18.0f; // pixels
    float recovery = 9.0f;    // per second
    float kick_strength = 0.55f;
    float max_kick = 28.0f; // pixels
    bool horizontal_recoil = true;
    float ads_sway = 0.15f;

    bool operator==(const CrosshairSettings&) const = default;
};

inline constexpr int kCrosshairPresetCount = 6;
inline constexpr const char* kCrosshairPresetNames[kCrosshairPresetCount] = {"Classic", "Dot", "Tight",
                                                                             "Circle",  "RGB", "Brackets"};

// The process-wide record the overlay and the Crosshair page read every frame.
CrosshairSettings& crosshair_settings();

// Every field but `enabled`, in file order, by the name a profile gives it; a colour is one
// field of four values. Whether the overlay is shown stays with the machine (F8), so a
// profile carries only its look.
template <typename Settings, typename Visit> void for_each_crosshair_field(Settings& s, Visit&& field) {
    field("style", s.style);
    field("length", s.length);
    field("thickness", s.thickness);
    field("gap", s.gap);
    field("size", s.size);
    field("outline", s.outline);
    field("outline_thickness", s.outline_thickness);
    field("colour", s.colour);
    field("outline_colour", s.outline_colour);
    field("rainbow", s.rainbow);
    field("rainbow_speed", s.rainbow_speed);
    field("rainbow_saturation", s.rainbow_saturation);
    field("rainbow_brightness", s.rainbow_brightness);
    field("offset_x", s.offset_x);
    field("offset_y", s.offset_y);
    field("rotation", s.rotation);
    field("center_dot", s.center_dot);
    field("center_on_primary", s.center_on_primary);
    field("opacity", s.opacity);
    field("react_to_recoil", s.react_to_recoil);
    field("fire_detect", s.fire_detect);
    field("sensitivity", s.sensitivity);
    field("max_spread", s.max_spread);
    field("recovery", s.recovery);
    field("kick_strength", s.kick_strength);
    field("max_kick", s.max_kick);
    field("horizontal_recoil", s.horizontal_recoil);
    field("ads_sway", s.ads_sway);
}

// The file's text for `settings`: 29 lines, 35 values.
std::string format_crosshair_settings(const CrosshairSettings& settings);
// Reads `text` over `settings` as the loader does: values in file order until the first missing
// or malformed one, then the short-file rule and the three clamps.
void parse_crosshair_settings(std::string_view text, CrosshairSettings& settings);
// The three load clamps (style, opacity, fire detect), for values from any source.
void clamp_crosshair_settings(CrosshairSettings& settings);

// "crosshair.cfg" from the settings folder (legacy folders as a fall-back); a missing file
// keeps the current values.
void load_crosshair_settings();
// Writes the whole record, or nothing when the file cannot be written.
void save_crosshair_settings();
// Preset 0..5 in the order of kCrosshairPresetNames; saves. Other indexes do nothing.
void apply_crosshair_preset(int index);
void apply_crosshair_preset_to(CrosshairSettings& settings, int index);
// F8: flips `enabled` and saves; the next update shows or hides the window.
void toggle_crosshair_overlay();
// The overlay moves by itself (rainbow or recoil) while it is shown: the loop must not idle.
bool crosshair_needs_animation();

// Once per frame, enabled or not: the rainbow step, the motion step, then the window shown and
// redrawn, or hidden.
void update_crosshair_overlay(float dt);
// At exit, after the last save.
void destroy_crosshair_overlay();

} // namespace tavrine
