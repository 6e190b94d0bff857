#pragma once
// The palette, the ImGui style and the packed colours every custom widget draws with.

#include <imgui.h>

namespace tavrine {

struct Rgb {
    unsigned char r, g, b;
};

namespace palette {
inline constexpr Rgb kText{244, 242, 248};
inline constexpr Rgb kMuted{154, 152, 164};
inline constexpr Rgb kAccent{176, 154, 236};
inline constexpr Rgb kAccentLight{214, 204, 236};
inline constexpr Rgb kKnob{228, 218, 248};
inline constexpr Rgb kButton{118, 86, 196};
inline constexpr Rgb kButtonHover{168, 142, 228};
inline constexpr Rgb kButtonPressed{86, 58, 158};
inline constexpr Rgb kInk{14, 14, 18};
inline constexpr Rgb kSide{22, 22, 28};
inline constexpr Rgb kCard{32, 32, 38};
inline constexpr Rgb kRaised{44, 44, 52};
inline constexpr Rgb kWell{62, 62, 72};
inline constexpr Rgb kLine{86, 84, 96};
inline constexpr Rgb kVeil{4, 4, 6};
inline constexpr Rgb kWhite{255, 255, 255};
} // namespace palette

// A float alpha a stands for clamp(a * 255, 0, 255) truncated.
int alpha_byte(float alpha);
// Both scale the alpha by the current style alpha (a page fading in), as ImGui's colours do.
ImU32 rgba(Rgb colour, int alpha);
// ColorWithAlpha: a palette entry (or any colour) with a float alpha.
ImU32 color_with_alpha(Rgb colour, float alpha);

// WindowBg's alpha for a surface opacity in percent: floor(opacity * 255 / 100) / 255.
float window_bg_alpha(int surface_opacity);

// Applied after ImGui's dark preset at start-up and again at the start of every frame, so a
// changed surface opacity shows at once and nothing a page pushed survives into the next frame.
void apply_theme(ImGuiStyle& style, int surface_opacity);
void apply_theme(); // the current context's style with the shell's surface opacity

} // namespace tavrine
