#pragma once
// The HUD's settings and their file "hud.cfg": eleven values, one a line, in the order of the
// record below, read back with formatted extraction (a short or damaged file keeps the
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

// The file's text: eleven lines ending in LF.
std::string format_hud_settings(const HudSettings& settings);
// Reads values in order over `settings` until the first missing or malformed one, then clamps
// corner, opacity, poll interval and scale.
void parse_hud_settings(std::string_view text, HudSettings& settings);
void clamp_hud_settings(HudSettings& settings);

} // namespace tavrine
