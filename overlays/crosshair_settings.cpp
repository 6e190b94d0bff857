// The crosshair record's file format and presets. The field order lives in one place,
// for_each_crosshair_field, which the file's writer and reader and a profile all walk.
#include "overlays/crosshair.h"

#include <algorithm>
#include <locale>
#include <sstream>

namespace tavrine {

namespace {

// The 29 lines of "crosshair.cfg" in order: `enabled`, then the named fields.
template <typename Settings, typename Visit> void for_each_line(Settings& s, Visit&& line) {
    line(s.enabled);
    for_each_crosshair_field(s, [&line](const char*, auto& value) { line(value); });
}

struct LineWriter {
    std::ostream& out;
    void operator()(bool value) const { out << (value ? 1 : 0) << '\n'; }
    void operator()(int value) const { out << value << '\n'; }
    void operator()(float value) const { out << value << '\n'; }
    void operator()(const CrosshairColour& c) const {
        out << c[0] << ' ' << c[1] << ' ' << c[2] << ' ' << c[3] << '\n';
    }
};

// Formatted extraction straight into the field, so a failed value holds what the stream
// stored; once the stream has failed every later field keeps its value.
struct LineReader {
    std::istream& in;
    template <typename T> void operator()(T& value) const {
        if (in) {
            in >> value;
        }
    }
    void operator()(CrosshairColour& c) const {
        for (float& channel : c) {
            (*this)(channel);
        }
    }
};

struct CrosshairPreset {
    int style;
    int length;
    int thickness;
    int gap;
    int size;
    bool keeps_colour; // "RGB" leaves the colour to the rainbow
    CrosshairColour colour;
    bool center_dot;
    bool rainbow;
};

constexpr CrosshairPreset kPresets[kCrosshairPresetCount] = {
    {3, 8, 2, 3, 2, false, {0.0f, 1.0f, 0.25f, 1.0f}, true, false}, // Classic
    {1, 0, 2, 0, 3, false, {1.0f, 0.2f, 0.2f, 1.0f}, true, false},  // Dot
    {0, 5, 1, 2, 1, false, {0.0f, 1.0f, 0.6f, 1.0f}, false, false}, // Tight
    {4, 6, 2, 4, 8, false, {1.0f, 1.0f, 1.0f, 1.0f}, true, false},  // Circle
    {3, 10, 2, 4, 3, true, {}, true, true},                         // RGB
    {6, 10, 2, 6, 2, false, {1.0f, 1.0f, 1.0f, 1.0f}, true, false}, // Brackets
};
constexpr int kRgbPreset = 4;

} // namespace

std::string format_crosshair_settings(const CrosshairSettings& settings) {
    std::ostringstream out;
    out.imbue(std::locale::classic()); // "0.35", never "0,35"
    for_each_line(settings, LineWriter{out});
    return out.str();
}

void parse_crosshair_settings(std::string_view text, CrosshairSettings& settings) {
    std::istringstream in{std::string(text)};
    in.imbue(std::locale::classic());
    for_each_line(settings, LineReader{in});
    if (in.fail()) {
        // A short or damaged file: these two come back to their defaults, whatever was read.
        settings.opacity = 92;
        settings.react_to_recoil = true;
    }
    clamp_crosshair_settings(settings);
}

void clamp_crosshair_settings(CrosshairSettings& settings) {
    settings.style = std::clamp(settings.style, 0, 6);
    settings.opacity = std::clamp(settings.opacity, 1, 100);
    settings.fire_detect = std::clamp(settings.fire_detect, 0, 3);
}

void apply_crosshair_preset_to(CrosshairSettings& s, int index) {
    if (index < 0 || index >= kCrosshairPresetCount) {
        return;
    }
    s.rainbow = false;
    s.outline = true;
    s.outline_thickness = 1;
    s.outline_colour = {0.0f, 0.0f, 0.0f, 0.9f};
    s.offset_x = 0;
    s.offset_y = 0;
    s.rotation = 0;
    s.center_dot = true;
    s.opacity = 92;
    s.react_to_recoil = true;

    const CrosshairPreset& p = kPresets[index];
    s.style = p.style;
    s.length = p.length;
    s.thickness = p.thickness;
    s.gap = p.gap;
    s.size = p.size;
    if (!p.keeps_colour) {
        s.colour = p.colour;
    }
    s.center_dot = p.center_dot;
    s.rainbow = p.rainbow;
    if (index == kRgbPreset) {
        s.rainbow_speed = 0.55f;
    }
}

bool crosshair_needs_animation() {
    const CrosshairSettings& s = crosshair_settings();
    return s.enabled && (s.rainbow || s.react_to_recoil);
}

} // namespace tavrine
