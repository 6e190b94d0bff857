#include "app/theme.h"

#include "app/shell_state.h"

#include <algorithm>

namespace tavrine {

namespace {

ImVec4 style_colour(Rgb colour, int alpha) {
    return ImVec4(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, alpha / 255.0f);
}

} // namespace

int alpha_byte(float alpha) {
    return static_cast<int>(std::clamp(alpha * 255.0f, 0.0f, 255.0f));
}

ImU32 rgba(Rgb colour, int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    // Like ImGui's own colours, ours fade with the pushed style alpha: the page cross-fade
    // then fades cards and controls with their text instead of only sliding them in.
    if (ImGui::GetCurrentContext() != nullptr) {
        const float style_alpha = std::clamp(ImGui::GetStyle().Alpha, 0.0f, 1.0f);
        if (style_alpha < 1.0f) {
            alpha = static_cast<int>(static_cast<float>(alpha) * style_alpha);
        }
    }
    return IM_COL32(colour.r, colour.g, colour.b, alpha);
}

ImU32 color_with_alpha(Rgb colour, float alpha) {
    return rgba(colour, alpha_byte(alpha));
}

float window_bg_alpha(int surface_opacity) {
    return static_cast<float>(surface_opacity * 255 / 100) / 255.0f;
}

void apply_theme(ImGuiStyle& style, int surface_opacity) {
    using namespace palette;
    style.WindowPadding = ImVec2(0, 0);
    style.WindowRounding = 26;
    style.WindowBorderSize = 0;
    style.ChildRounding = 18;
    style.ChildBorderSize = 0;
    style.PopupRounding = 16;
    style.PopupBorderSize = 1.25f;
    style.FramePadding = ImVec2(14, 11);
    style.FrameRounding = 14;
    style.FrameBorderSize = 1.35f;
    style.ItemSpacing = ImVec2(10, 8);
    style.ItemInnerSpacing = ImVec2(8, 6);
    style.ScrollbarSize = 4;
    style.ScrollbarRounding = 14;
    style.GrabMinSize = 10;
    style.GrabRounding = 12;
    style.AntiAliasedLines = true;
    style.AntiAliasedFill = true;
    style.CircleTessellationMaxError = 0.35f;

    ImVec4* colours = style.Colors;
    colours[ImGuiCol_Text] = style_colour(kText, 255);
    colours[ImGuiCol_TextDisabled] = style_colour(kMuted, 255);
    colours[ImGuiCol_WindowBg] =
        ImVec4(kInk.r / 255.0f, kInk.g / 255.0f, kInk.b / 255.0f, window_bg_alpha(surface_opacity));
    colours[ImGuiCol_ChildBg] = style_colour({0, 0, 0}, 0);
    colours[ImGuiCol_PopupBg] = style_colour(kCard, 255);
    colours[ImGuiCol_Border] = style_colour(kLine, 160);
    colours[ImGuiCol_FrameBg] = style_colour(kCard, 255);
    colours[ImGuiCol_FrameBgHovered] = style_colour(kRaised, 255);
    colours[ImGuiCol_FrameBgActive] = style_colour(kWell, 255);
    colours[ImGuiCol_ScrollbarBg] = style_colour(kInk, 20);
    colours[ImGuiCol_ScrollbarGrab] = style_colour(kWell, 255);
    colours[ImGuiCol_ScrollbarGrabHovered] = style_colour(kLine, 255);
    colours[ImGuiCol_ScrollbarGrabActive] = style_colour(kAccent, 200);
    colours[ImGuiCol_CheckMark] = style_colour({252, 248, 255}, 255);
    colours[ImGuiCol_SliderGrab] = style_colour(kAccent, 255);
    colours[ImGuiCol_SliderGrabActive] = style_colour(kKnob, 255);
    colours[ImGuiCol_Button] = style_colour(kButton, 255);
    colours[ImGuiCol_ButtonHovered] = style_colour(kButtonHover, 255);
    colours[ImGuiCol_ButtonActive] = style_colour(kButtonPressed, 255);
    colours[ImGuiCol_Header] = style_colour(kCard, 255);
    colours[ImGuiCol_HeaderHovered] = style_colour(kRaised, 255);
    colours[ImGuiCol_HeaderActive] = style_colour(kWell, 255);
    colours[ImGuiCol_Separator] = style_colour(kLine, 140);
    colours[ImGuiCol_TextSelectedBg] = style_colour(kAccent, 50);
}

void apply_theme() {
    apply_theme(ImGui::GetStyle(), shell_state().surface_opacity);
}

} // namespace tavrine
