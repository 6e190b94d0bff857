#pragma once
// The window's five fonts: Inter faces from a "fonts" folder, or the Regular face embedded in
// the program when a file is missing or unusable.

#include <filesystem>
#include <span>
#include <string>
#include <vector>

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

// The Regular face carried inside the program. Static storage: the atlas must never free it.
std::span<const unsigned char> embedded_inter_regular();

// Where a font file may live: the executable's folder + "fonts", then its parent + "fonts",
// then (debug builds only) a folder fixed at build time. Release builds never read fonts from
// the build tree: this elevated program must not parse files an ordinary user could plant.
std::vector<std::filesystem::path> font_candidates(const std::filesystem::path& exe_path,
                                                   const std::string& file_name);

// First existing candidate beside `exe_path`, or empty.
std::string find_font_file_from(const std::filesystem::path& exe_path, const std::string& file_name);

// True for the sfnt signatures the rasteriser understands (TrueType and CFF OpenType).
bool looks_like_font_file(const std::filesystem::path& path);

// Adds `file_name` (or the same name with ".otf") from the first place it is found; falls
// back to the embedded Regular face. Never returns null.
ImFont* load_ui_font(ImFontAtlas& atlas, const std::string& file_name, float pixel_size,
                     float rasterizer_multiply, const std::filesystem::path& exe_path);

// Clears the atlas and loads the five fonts in order, the Regular one first (the default).
void load_all_ui_fonts(ImFontAtlas& atlas, const std::filesystem::path& exe_path);

} // namespace tavrine
