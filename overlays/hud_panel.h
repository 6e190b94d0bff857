#pragma once
// What the HUD panel shows and where: its size and screen position, the accent strip, each
// line's text, colour, font and place, and the alpha of the layered window. Built from the
// settings and the readings without any window system; the window only paints it.

#include "overlays/hud_settings.h"
#include "overlays/sensors.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tavrine {

struct HudColour {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const HudColour&) const = default;
};

inline constexpr HudColour kHudBackground{22, 22, 28};
inline constexpr HudColour kHudAccent{176, 154, 236};
inline constexpr HudColour kHudSecondary{154, 152, 164};
inline constexpr HudColour kHudPrimary{244, 242, 248};

enum class HudFont : std::uint8_t { Title, Body };

struct HudText {
    int x = 0;
    int y = 0;
    HudColour colour;
    HudFont font = HudFont::Body;
    std::string text;
    bool operator==(const HudText&) const = default;
};

struct HudPanel {
    int x = 0; // screen position of the top-left corner
    int y = 0;
    int width = 0;
    int height = 0;
    int accent_width = 0;      // the accent strip from the left edge, full height
    int title_font_height = 0; // character heights in pixels
    int body_font_height = 0;
    std::uint8_t alpha = 255;
    std::vector<HudText> texts; // title, GPU name, the shown lines, the footer
    bool operator==(const HudPanel&) const = default;
};

HudPanel build_hud_panel(const HudSettings& settings, const SensorReadings& readings, int screen_width,
                         int screen_height);

// The layered window's alpha for an opacity in percent (at least 15 %).
std::uint8_t hud_alpha(int opacity);

// The alpha pass over a top-down 32-bit BGRA bitmap: black becomes fully transparent, every
// other pixel is premultiplied by `alpha` and takes it as its alpha.
void apply_hud_alpha(std::span<std::uint32_t> pixels, std::uint8_t alpha);

} // namespace tavrine
