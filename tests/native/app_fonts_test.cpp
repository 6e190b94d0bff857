#include "app/fonts.h"

#include <gtest/gtest.h>
#include <imgui.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace tavrine {
namespace {

namespace fs = std::filesystem;

// A throwaway install: <tmp>/app/bin/TavrineOptimiser.exe with optional fonts folders.
class FontFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        root_ = fs::temp_directory_path() / ("tavrine-fonts-" + std::to_string(random()));
        ASSERT_TRUE(fs::create_directories(root_ / "app" / "bin"));
        exe_ = root_ / "app" / "bin" / "TavrineOptimiser.exe";
    }
    void TearDown() override {
        // Only ever the folder this test made.
        if (!root_.empty() && root_.filename().string().rfind("tavrine-fonts-", 0) == 0) {
            fs::remove_all(root_);
        }
    }
    void put(const fs::path& dir, const std::string& name, const std::string& bytes) {
        fs::create_directories(dir);
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    static std::string sfnt_bytes() {
        const auto embedded = embedded_inter_regular();
        return std::string(reinterpret_cast<const char*>(embedded.data()), embedded.size());
    }

    fs::path root_;
    fs::path exe_;
};

// ImGui 1.90 copies data it is told it does not own, so the face is recognised by its bytes.
bool uses_embedded(const ImFont* font) {
    const auto embedded = embedded_inter_regular();
    return font && font->ConfigData && font->ConfigData->FontData != embedded.data() &&
           font->ConfigData->FontDataSize == static_cast<int>(embedded.size()) &&
           std::memcmp(font->ConfigData->FontData, embedded.data(), embedded.size()) == 0;
}

TEST_F(FontFolder, all_five_fonts_fall_back_to_the_embedded_face_and_quitting_never_frees_it) {
    const std::string before = sfnt_bytes();
    {
        ImGuiContext* context = ImGui::CreateContext();
        ImFontAtlas& atlas = *ImGui::GetIO().Fonts;
        load_all_ui_fonts(atlas, exe_);
        const UiFonts& fonts = ui_fonts();
        for (ImFont* font :
             {fonts.regular, fonts.font_small, fonts.font_label, fonts.font_title, fonts.font_hero}) {
            EXPECT_TRUE(uses_embedded(font));
        }
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
    EXPECT_EQ(sfnt_bytes(), before); // still there and intact after the atlas is gone
}

TEST_F(FontFolder, a_face_beside_the_executable_is_found_under_its_otf_name) {
    // One trailing byte more than the embedded face, so the two can be told apart.
    put(root_ / "app" / "bin" / "fonts", "Inter-Medium.otf", sfnt_bytes() + '\0');
    EXPECT_EQ(find_font_file_from(exe_, "Inter-Medium.otf"),
              (root_ / "app" / "bin" / "fonts" / "Inter-Medium.otf").string());
    ImGuiContext* context = ImGui::CreateContext();
    ImFont* font = load_ui_font(*ImGui::GetIO().Fonts, "Inter-Medium.ttf", 12.0f, 1.05f, exe_);
    ASSERT_NE(font, nullptr);
    EXPECT_FALSE(uses_embedded(font));
    ImGui::DestroyContext(context);
}

TEST_F(FontFolder, the_parent_fonts_folder_is_the_second_place_and_ttf_wins_over_otf) {
    put(root_ / "app" / "fonts", "Inter-SemiBold.ttf", sfnt_bytes());
    put(root_ / "app" / "fonts", "Inter-SemiBold.otf", sfnt_bytes());
    EXPECT_EQ(find_font_file_from(exe_, "Inter-SemiBold.ttf"),
              (root_ / "app" / "fonts" / "Inter-SemiBold.ttf").string());
    const auto candidates = font_candidates(exe_, "X.ttf");
    ASSERT_GE(candidates.size(), 2u);
    EXPECT_EQ(candidates[0], root_ / "app" / "bin" / "fonts" / "X.ttf");
    EXPECT_EQ(candidates[1], root_ / "app" / "fonts" / "X.ttf");
#ifdef NDEBUG
    EXPECT_EQ(candidates.size(), 2u); // release builds never look in the build tree
#endif
}

TEST_F(FontFolder, a_file_that_is_not_a_font_is_treated_as_missing) {
    put(root_ / "app" / "bin" / "fonts", "Inter-Regular.ttf", "this is not a font at all");
    ImGuiContext* context = ImGui::CreateContext();
    ImFontAtlas& atlas = *ImGui::GetIO().Fonts;
    ImFont* font = load_ui_font(atlas, "Inter-Regular.ttf", 13.5f, 1.08f, exe_);
    EXPECT_TRUE(uses_embedded(font));
    unsigned char* pixels = nullptr;
    int w = 0;
    int h = 0;
    atlas.GetTexDataAsRGBA32(&pixels, &w, &h); // the atlas still builds
    EXPECT_NE(pixels, nullptr);
    ImGui::DestroyContext(context);
}

} // namespace
} // namespace tavrine
