#pragma once
// The HUD's settings and their file "hud.cfg": eleven values, one a line, `enabled` then the
// order of for_each_hud_field, read back with formatted extraction (a short or damaged file keeps the
// defaults from the first missing value on) and a few of them clamped on load.

#include <string>
#include <string_view>

namespace tavrine {

struct HudSettings {
    bool enabled = false;
    bool show_cpu = true;
    bool show_gpu = true; // the GPU and VRAM lines
    bool show_ram = true;
    bool show_gpu_temperature = true;
    bool show_clocks = true;
    bool show_ping = false;
    int corner = 1;    // 0 top left, 1 top right, 2 bottom left, 3 bottom right
    int opacity = 88;  // percent
    int poll_ms = 750; // poll interval
    float scale = 1.0f;

    bool operator==(const HudSettings&) const = default;
};

// A number's two ranges: what a value from a file or a profile is clamped to, and what the
// Settings page's control offers (the load range is wider where a hand-edited file may go).
template <typename T> struct HudRange {
    T load_min;
    T load_max;
    T slider_min;
    T slider_max;
};
inline constexpr HudRange<int> kHudCornerRange{0, 3, 0, 3};
inline constexpr HudRange<int> kHudOpacityRange{20, 100, 30, 100};
inline constexpr HudRange<int> kHudPollRange{400, 3000, 400, 2000};
inline constexpr HudRange<float> kHudScaleRange{0.75f, 1.6f, 0.75f, 1.5f};

// Every field but `enabled`, in file order, by the name a profile gives it, numbers with their
// range. Whether the HUD is shown stays with the machine (F7), so a profile carries only what it
// shows and how.
template <typename Settings, typename Visit> void for_each_hud_field(Settings& s, Visit&& field) {
    field("show_cpu", s.show_cpu);
    field("show_gpu", s.show_gpu);
    field("show_ram", s.show_ram);
    field("show_gpu_temperature", s.show_gpu_temperature);
    field("show_clocks", s.show_clocks);
    field("show_ping", s.show_ping);
    field("corner", s.corner, kHudCornerRange);
    field("opacity", s.opacity, kHudOpacityRange);
    field("poll_ms", s.poll_ms, kHudPollRange);
    field("scale", s.scale, kHudScaleRange);
}

// The file's text: eleven lines ending in LF.
std::string format_hud_settings(const HudSettings& settings);
// Reads values in order over `settings` until the first missing or malformed one, then clamps
// each number to its load range.
void parse_hud_settings(std::string_view text, HudSettings& settings);
void clamp_hud_settings(HudSettings& settings);

} // namespace tavrine
