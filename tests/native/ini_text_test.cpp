// The INI merge and the text encodings of the game configuration rewrite: pure text, so every
// case is one input and the text that must come out.

#include "games/config_encoding.h"
#include "games/ini_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrine {
namespace {

std::string merged(std::string text, const char* section, const char* key, const char* value) {
    set_ini_value(text, section, key, value);
    return text;
}

// [SECTION] The merge

TEST(IniMerge, an_existing_key_is_rewritten_in_place_with_the_callers_spelling_and_no_spaces) {
    EXPECT_EQ(merged("[ScalabilityGroups]\r\nsg.ViewDistanceQuality=3\r\nSG.RESOLUTIONQUALITY \t= "
                     "75.0\r\nsg.Other=1\r\n",
                     "ScalabilityGroups", "sg.ResolutionQuality", "100"),
              "[ScalabilityGroups]\nsg.ViewDistanceQuality=3\nsg.ResolutionQuality=100\nsg.Other=1\n");
}

TEST(IniMerge, a_longer_key_that_starts_with_the_key_is_a_different_key) {
    EXPECT_EQ(merged("[ScalabilityGroups]\nsg.ResolutionQualityMax=3\n", "ScalabilityGroups",
                     "sg.ResolutionQuality", "100"),
              "[ScalabilityGroups]\nsg.ResolutionQuality=100\nsg.ResolutionQualityMax=3\n");
}

TEST(IniMerge, a_missing_key_becomes_the_first_line_under_its_header_and_other_sections_stay) {
    EXPECT_EQ(merged("; mine\n[A]\nx=1\n[ScalabilityGroups]\nsg.Other=1\n[B]\ny=2", "ScalabilityGroups",
                     "sg.ShadowQuality", "0"),
              "; mine\n[A]\nx=1\n[ScalabilityGroups]\nsg.ShadowQuality=0\nsg.Other=1\n[B]\ny=2\n");
}

TEST(IniMerge, a_header_is_found_whatever_its_case_but_not_with_a_letter_after_the_bracket) {
    EXPECT_EQ(
        merged("[scalabilitygroups]  \nsg.ShadowQuality=3\n", "ScalabilityGroups", "sg.ShadowQuality", "0"),
        "[scalabilitygroups]  \nsg.ShadowQuality=0\n");
    EXPECT_EQ(
        merged("[ScalabilityGroups]x\nsg.ShadowQuality=3\n", "ScalabilityGroups", "sg.ShadowQuality", "0"),
        "[ScalabilityGroups]x\nsg.ShadowQuality=3\n[ScalabilityGroups]\nsg.ShadowQuality=0\n");
}

TEST(IniMerge, a_key_in_another_section_or_indented_is_not_the_key) {
    EXPECT_EQ(merged("[Other]\nbUseVSync=True\n[S]\n  bUseVSync=True\n", "S", "bUseVSync", "False"),
              "[Other]\nbUseVSync=True\n[S]\nbUseVSync=False\n  bUseVSync=True\n");
}

TEST(IniMerge, a_new_section_goes_at_the_end_and_an_empty_text_gets_just_that) {
    EXPECT_EQ(merged("", "SystemSettings", "r.VSync", "0"), "[SystemSettings]\nr.VSync=0\n");
    const IniEdit edits[] = {{"S", "a", "1"}, {"S", "b", "2"}, {"S", "c", "3"}};
    std::string text;
    apply_ini_edits(text, edits);
    EXPECT_EQ(text, "[S]\nc=3\nb=2\na=1\n"); // each later key goes in first under the header
}

TEST(IniMerge, lone_carriage_returns_end_lines_instead_of_gluing_them) {
    EXPECT_EQ(merged("[S]\rk=1\rj=2", "S", "k", "0"), "[S]\nk=0\nj=2\n");
}

TEST(IniMerge, a_second_run_of_the_same_edits_changes_nothing) {
    const IniEdit edits[] = {{"D3DRHIPreference", "PreferredRHI", "Performance"},
                             {"ScalabilityGroups", "sg.ResolutionQuality", "100"},
                             {"ScalabilityGroups", "sg.ShadowQuality", "0"},
                             {"/Script/Engine.GameUserSettings", "bUseVSync", "False"}};
    std::string text = "[ScalabilityGroups]\r\nsg.ShadowQuality = 4\r\n[Mine]\r\nKeep=this\r\n";
    apply_ini_edits(text, edits);
    const std::string once = text;
    apply_ini_edits(text, edits);
    EXPECT_EQ(text, once);
    EXPECT_NE(once.find("[Mine]\nKeep=this\n"), std::string::npos);
}

TEST(IniMerge, an_empty_section_or_key_changes_nothing) {
    EXPECT_EQ(merged("a\r\n", "", "k", "v"), "a\r\n");
    EXPECT_EQ(merged("a\r\n", "S", "", "v"), "a\r\n");
}

TEST(IniMerge, line_ends_go_back_as_crlf) {
    EXPECT_EQ(with_crlf_line_ends("[S]\nk=1\n"), "[S]\r\nk=1\r\n");
}

// [SECTION] Encodings

TEST(ConfigEncoding, utf16_with_its_mark_comes_back_utf16_with_its_mark) {
    constexpr char kFile[] = "\xFF\xFE[\0S\0]\0\r\0\n\0\xE9\0=\0\x3D\xD8\x00\xDE\r\0\n\0";
    const std::string bytes(kFile, sizeof kFile - 1);
    const ConfigText decoded = decode_config_text(bytes);
    EXPECT_TRUE(decoded.was_utf16);
    EXPECT_EQ(decoded.text, "[S]\r\n\xC3\xA9=\xF0\x9F\x98\x80\r\n");
    EXPECT_EQ(encode_config_text(decoded.text, true), bytes);
}

TEST(ConfigEncoding, a_utf8_mark_is_dropped_and_utf8_is_written_without_one) {
    const ConfigText decoded = decode_config_text("\xEF\xBB\xBF[S]\r\nk=1\r\n");
    EXPECT_FALSE(decoded.was_utf16);
    EXPECT_EQ(decoded.text, "[S]\r\nk=1\r\n");
    EXPECT_EQ(encode_config_text(decoded.text, false), "[S]\r\nk=1\r\n");
}

TEST(ConfigEncoding, broken_input_becomes_replacement_characters_and_trailing_nuls_go) {
    // A lone surrogate, then a NUL terminator the game may have written, then an odd byte.
    const ConfigText decoded = decode_config_text(std::string("\xFF\xFE"
                                                              "a\0\x00\xD8\0\0\x41",
                                                              9));
    EXPECT_EQ(decoded.text, "a\xEF\xBF\xBD");
    EXPECT_EQ(encode_config_text("\xC0\xAF", true), std::string("\xFF\xFE\xFD\xFF\xFD\xFF", 6));
    EXPECT_EQ(encode_config_text("", true), "\xFF\xFE");
}

} // namespace
} // namespace tavrine
