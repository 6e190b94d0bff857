#include "app/fonts.h"

#include <imgui.h>

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
    config.FontDataOwnedByAtlas = false; // static bytes: the atlas must never free them
    return config;
}

} // namespace

UiFonts& ui_fonts() {
    static UiFonts fonts;
    return fonts;
}

std::span<const unsigned char> embedded_inter(InterFace face) {
    switch (face) {
    case InterFace::Medium:
        return embedded_inter_Medium();
    case InterFace::SemiBold:
        return embedded_inter_SemiBold();
    case InterFace::Regular:
        break;
    }
    return embedded_inter_Regular();
}

ImFont* load_ui_font(ImFontAtlas& atlas, InterFace face, float pixel_size, float rasterizer_multiply) {
    ImFontConfig config = font_config(rasterizer_multiply);
    const auto bytes = embedded_inter(face);
    return atlas.AddFontFromMemoryTTF(const_cast<unsigned char*>(bytes.data()),
                                      static_cast<int>(bytes.size()), pixel_size, &config, kGlyphRanges);
}

void load_all_ui_fonts(ImFontAtlas& atlas) {
    atlas.Clear();
    UiFonts& fonts = ui_fonts();
    fonts.regular = load_ui_font(atlas, InterFace::Regular, 13.5f, 1.08f);
    fonts.font_small = load_ui_font(atlas, InterFace::Medium, 12.0f, 1.05f);
    fonts.font_label = load_ui_font(atlas, InterFace::Medium, 14.5f, 1.04f);
    fonts.font_title = load_ui_font(atlas, InterFace::SemiBold, 16.0f, 1.03f);
    fonts.font_hero = load_ui_font(atlas, InterFace::SemiBold, 40.0f, 1.02f);
    fonts.font_heading = fonts.font_title;
    ImGui::GetIO().FontDefault = fonts.regular;
}

} // namespace tavrine
