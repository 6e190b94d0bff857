// The 1.42 s splash: logo mark, word mark, tag line, hairline and progress track.
#include "app/animation.h"
#include "app/fonts.h"
#include "app/screens.h"
#include "app/theme.h"
#include "app/widgets.h"

#include <cfloat>
#include <cstdio>

namespace tavrine {

using namespace palette;

namespace {

void centred_text_at(ImDrawList* draw_list, ImFont* font, float size, float centre_x, float top, ImU32 colour,
                     const char* text) {
    font = font_or_current(font);
    const float width = font->CalcTextSizeA(size, FLT_MAX, 0.0f, text).x;
    draw_list->AddText(font, size, ImVec2(centre_x - width * 0.5f, top), colour, text);
}

} // namespace

void draw_splash(const ShellState& state, ImVec2 o) {
    ImDrawList* draw_list = ImGui::GetWindowDrawList();
    const UiFonts& fonts = ui_fonts();
    const float f = clamp01(state.window_fade);
    const float p = state.splash_progress;
    const float cx = o.x + kWindowWidth / 2;

    const float b = ease_out_back(clamp01((p - 0.04f) / 0.38f));
    const float glow_radius = 64 * b;
    if (glow_radius >= 0.5f) {
        draw_list->AddCircleFilled(ImVec2(cx, o.y + 248), glow_radius,
                                   color_with_alpha(kAccentLight, 0.04f * b * f), 48);
    }
    draw_logo_mark(ImVec2(cx, o.y + 248), 1.05f + 0.12f * b, f * b);

    const float e1 = ease_out_cubic(clamp01((p - 0.22f) / 0.28f));
    const float word_top = o.y + 318 + 10 * (1 - e1);
    ImFont* hero = font_or_current(fonts.font_hero);
    centred_text_at(draw_list, hero, 42, cx, word_top, color_with_alpha(kText, e1 * f), "Tavrine");
    const float word_bottom = word_top + hero->CalcTextSizeA(42, FLT_MAX, 0.0f, "Tavrine").y;

    const float e2 = ease_out_cubic(clamp01((p - 0.42f) / 0.24f));
    centred_text_at(draw_list, fonts.font_label, 15, cx, word_bottom + 8 + 6 * (1 - e2),
                    color_with_alpha(kMuted, e2 * f), "Private optimiser");
    const float hair = 56 * e2;
    draw_list->AddRectFilled(ImVec2(cx - hair * 0.5f, word_bottom + 36),
                             ImVec2(cx + hair * 0.5f, word_bottom + 37.2f),
                             color_with_alpha(kAccentLight, 0.8f * e2 * f));

    const float e3 = ease_out_cubic(clamp01(p / 0.94f));
    const ImVec2 track_min(o.x + 526, o.y + 548);
    const ImVec2 track_max(o.x + 694, o.y + 556);
    draw_list->AddRectFilled(track_min, track_max, color_with_alpha(kWell, 0.85f * f), 4.0f);
    draw_list->AddRect(track_min, track_max, color_with_alpha(kLine, 0.8f * f), 4.0f, 0, 1.2f);
    if (e3 > 0.0f) {
        draw_list->AddRectFilled(track_min, ImVec2(track_min.x + 168 * e3, track_max.y),
                                 color_with_alpha(kAccent, f), 4.0f);
    }
    char percent[8];
    std::snprintf(percent, sizeof percent, "%d", static_cast<int>(e3 * 100));
    centred_text_at(draw_list, fonts.font_small, 11, cx, o.y + 560, color_with_alpha(kMuted, 0.9f * f),
                    percent);
}

} // namespace tavrine
