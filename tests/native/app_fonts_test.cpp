#include "app/fonts.h"

#include <gtest/gtest.h>
#include <imgui.h>

#include <cstring>
#include <string>

namespace tavrine {
namespace {

std::string bytes_of(InterFace face) {
    const auto embedded = embedded_inter(face);
    return std::string(reinterpret_cast<const char*>(embedded.data()), embedded.size());
}

// ImGui 1.90 copies data it is told it does not own, so the face is recognised by its bytes.
bool uses_face(const ImFont* font, InterFace face) {
    const auto embedded = embedded_inter(face);
    return font && font->ConfigData && font->ConfigData->FontData != embedded.data() &&
           font->ConfigData->FontDataSize == static_cast<int>(embedded.size()) &&
           std::memcmp(font->ConfigData->FontData, embedded.data(), embedded.size()) == 0;
}

TEST(Fonts, the_five_fonts_come_from_the_three_embedded_faces_and_quitting_never_frees_them) {
    const std::string regular = bytes_of(InterFace::Regular);
    const std::string medium = bytes_of(InterFace::Medium);
    const std::string semibold = bytes_of(InterFace::SemiBold);
    EXPECT_NE(regular, medium);
    EXPECT_NE(medium, semibold);
    {
        ImGuiContext* context = ImGui::CreateContext();
        ImFontAtlas& atlas = *ImGui::GetIO().Fonts;
        load_all_ui_fonts(atlas);
        const UiFonts& fonts = ui_fonts();
        EXPECT_TRUE(uses_face(fonts.regular, InterFace::Regular));
        EXPECT_TRUE(uses_face(fonts.font_small, InterFace::Medium));
        EXPECT_TRUE(uses_face(fonts.font_label, InterFace::Medium));
        EXPECT_TRUE(uses_face(fonts.font_title, InterFace::SemiBold));
        EXPECT_TRUE(uses_face(fonts.font_hero, InterFace::SemiBold));
        EXPECT_EQ(fonts.font_heading, fonts.font_title);
        EXPECT_EQ(ImGui::GetIO().FontDefault, fonts.regular);
        unsigned char* pixels = nullptr;
        int w = 0;
        int h = 0;
        atlas.GetTexDataAsRGBA32(&pixels, &w, &h);
        EXPECT_NE(pixels, nullptr);
        EXPECT_FLOAT_EQ(fonts.font_hero->FontSize, 40.0f);
        EXPECT_FLOAT_EQ(fonts.font_small->FontSize, 12.0f);
        ImGui::DestroyContext(context);
    }
    // Still there and intact after the atlas is gone.
    EXPECT_EQ(bytes_of(InterFace::Regular), regular);
    EXPECT_EQ(bytes_of(InterFace::SemiBold), semibold);
}

} // namespace
} // namespace tavrine
