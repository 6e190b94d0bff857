#pragma once
// The window's five fonts, all from the Inter faces compiled into the program: no font file is
// ever read, so nothing another user plants beside the executable is parsed by it.

#include <cstdint>
#include <span>

struct ImFont;
struct ImFontAtlas;

namespace tavrine {

struct UiFonts {
    ImFont* regular = nullptr; // the atlas's first font, ImGui's default
    ImFont* font_small = nullptr;
    ImFont* font_label = nullptr;
    ImFont* font_title = nullptr;
    ImFont* font_hero = nullptr;
    ImFont* font_heading = nullptr; // alias of font_title
};

UiFonts& ui_fonts();

enum class InterFace : std::uint8_t { Regular, Medium, SemiBold };

// A face carried inside the program. Static storage: the atlas must never free it.
std::span<const unsigned char> embedded_inter(InterFace face);

// Adds `face` at `pixel_size` to the atlas. Never returns null.
ImFont* load_ui_font(ImFontAtlas& atlas, InterFace face, float pixel_size, float rasterizer_multiply);

// Clears the atlas and loads the five fonts in order, the Regular one first (the default).
void load_all_ui_fonts(ImFontAtlas& atlas);

// Generated at build time from Debian's fonts-inter (app/embed_font.cmake).
std::span<const unsigned char> embedded_inter_Regular();
std::span<const unsigned char> embedded_inter_Medium();
std::span<const unsigned char> embedded_inter_SemiBold();

} // namespace tavrine
