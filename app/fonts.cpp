#include "app/fonts.h"

#include <imgui.h>

#include <array>
#include <cstdio>
#include <system_error>

namespace tavrine {

namespace {

// Latin-1, general punctuation (dashes, quotes, ellipsis) and the euro sign.
constexpr ImWchar kGlyphRanges[] = {0x0020, 0x00FF, 0x2010, 0x2027, 0x2018, 0x201F,
                                    0x2026, 0x2026, 0x20AC, 0x20AC, 0};

ImFontConfig font_config(float rasterizer_multiply) {
    ImFontConfig config;
    config.OversampleH = 2;
    config.OversampleV = 2;
    config.PixelSnapH = true;
    config.RasterizerMultiply = rasterizer_multiply;
    return config;
}

bool file_exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string with_otf_extension(std::string name) {
    const auto dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.resize(dot);
    }
    return name + ".otf";
}

} // namespace

UiFonts& ui_fonts() {
    static UiFonts fonts;
    return fonts;
}

std::vector<std::filesystem::path> font_candidates(const std::filesystem::path& exe_path,
                                                   const std::string& file_name) {
    const std::filesystem::path dir = exe_path.parent_path();
    std::vector<std::filesystem::path> candidates{dir / "fonts" / file_name,
                                                  dir.parent_path() / "fonts" / file_name};
#ifdef TAVRINE_DEV_FONT_DIR
    candidates.push_back(std::filesystem::path(TAVRINE_DEV_FONT_DIR) / "fonts" / file_name);
#endif
    return candidates;
}

std::string find_font_file_from(const std::filesystem::path& exe_path, const std::string& file_name) {
    for (const auto& candidate : font_candidates(exe_path, file_name)) {
        if (file_exists(candidate)) {
            return candidate.string();
        }
    }
    return {};
}

bool looks_like_font_file(const std::filesystem::path& path) {
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (!file) {
        return false;
    }
    std::array<unsigned char, 4> tag{};
    const bool read = std::fread(tag.data(), 1, tag.size(), file) == tag.size();
    std::fclose(file);
    if (!read) {
        return false;
    }
    const bool truetype = tag == std::array<unsigned char, 4>{0x00, 0x01, 0x00, 0x00};
    const bool opentype = tag == std::array<unsigned char, 4>{'O', 'T', 'T', 'O'};
    const bool apple = tag == std::array<unsigned char, 4>{'t', 'r', 'u', 'e'};
    return truetype || opentype || apple;
}

ImFont* load_ui_font(ImFontAtlas& atlas, const std::string& file_name, float pixel_size,
                     float rasterizer_multiply, const std::filesystem::path& exe_path) {
    ImFontConfig config = font_config(rasterizer_multiply);
    std::string path = find_font_file_from(exe_path, file_name);
    if (path.empty()) {
        path = find_font_file_from(exe_path, with_otf_extension(file_name));
    }
    // A file that is not a font would fail the whole atlas build later (taking the fall-back
    // with it), so anything without an sfnt signature is treated as missing.
    if (!path.empty() && looks_like_font_file(path)) {
        if (ImFont* font = atlas.AddFontFromFileTTF(path.c_str(), pixel_size, &config, kGlyphRanges)) {
            return font;
        }
    }
    const auto bytes = embedded_inter_regular();
    config.FontDataOwnedByAtlas = false; // static bytes: the atlas must never free them
    return atlas.AddFontFromMemoryTTF(const_cast<unsigned char*>(bytes.data()),
                                      static_cast<int>(bytes.size()), pixel_size, &config, kGlyphRanges);
}

void load_all_ui_fonts(ImFontAtlas& atlas, const std::filesystem::path& exe_path) {
    atlas.Clear();
    UiFonts& fonts = ui_fonts();
    fonts.regular = load_ui_font(atlas, "Inter-Regular.ttf", 13.5f, 1.08f, exe_path);
    fonts.font_small = load_ui_font(atlas, "Inter-Medium.ttf", 12.0f, 1.05f, exe_path);
    fonts.font_label = load_ui_font(atlas, "Inter-Medium.ttf", 14.5f, 1.04f, exe_path);
    fonts.font_title = load_ui_font(atlas, "Inter-SemiBold.ttf", 16.0f, 1.03f, exe_path);
    fonts.font_hero = load_ui_font(atlas, "Inter-SemiBold.ttf", 40.0f, 1.02f, exe_path);
    fonts.font_heading = fonts.font_title;
    ImGui::GetIO().FontDefault = fonts.regular;
}

} // namespace tavrine
