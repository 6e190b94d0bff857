// Letter-spaced and fitted text.
#include "app/fonts.h"
#include "app/widgets.h"

#include <imgui_internal.h> // ImTextCharFromUtf8

#include <algorithm>
#include <cfloat>
#include <cstring>

namespace tavrine {

ImFont* font_or_current(ImFont* font) {
    return font ? font : ImGui::GetFont();
}

float text_width(ImFont* font, float size, const char* text) {
    return font_or_current(font)->CalcTextSizeA(size, FLT_MAX, 0.0f, text).x;
}

void spaced_text(ImDrawList* draw_list, ImVec2 pos, float size, ImU32 colour, const char* text,
                 float spacing) {
    ImFont* font = font_or_current(ui_fonts().font_small);
    const char* end = text + std::strlen(text);
    for (const char* p = text; p < end;) {
        unsigned int codepoint = 0;
        const int length = ImTextCharFromUtf8(&codepoint, p, end);
        draw_list->AddText(font, size, pos, colour, p, p + length);
        pos.x += font->CalcTextSizeA(size, FLT_MAX, 0.0f, p, p + length).x + spacing;
        p += std::max(length, 1);
    }
}

const char* fit_text(ImFont* font, float size, float max_width, const char* text, char* buffer,
                     int buffer_size) {
    font = font_or_current(font);
    if (font->CalcTextSizeA(size, FLT_MAX, 0.0f, text).x <= max_width) {
        return text;
    }
    if (buffer_size < 4) {
        return "...";
    }
    const char* end = text + std::strlen(text);
    // Where word wrapping would break the line, leaving room for the ellipsis.
    const char* cut = font->CalcWordWrapPositionA(size / font->FontSize, text, end, max_width - 14.0f);
    if (cut <= text) {
        cut = text + 1;
    }
    while (cut > text + 1 && (cut[-1] == ' ' || cut[-1] == '\t')) {
        --cut;
    }
    constexpr std::ptrdiff_t kMaxKept = 156;
    const std::ptrdiff_t room = std::max<std::ptrdiff_t>(0, buffer_size - 4);
    const std::ptrdiff_t kept = std::min({cut - text, kMaxKept, room});
    std::memcpy(buffer, text, static_cast<std::size_t>(kept));
    std::memcpy(buffer + kept, "...", 4);
    return buffer;
}

void fitted_text(ImDrawList* draw_list, ImFont* font, float size, ImVec2 pos, float max_width, ImU32 colour,
                 const char* text) {
    char buffer[160];
    font = font_or_current(font);
    draw_list->AddText(font, size, pos, colour, fit_text(font, size, max_width, text, buffer, sizeof buffer));
}

} // namespace tavrine
