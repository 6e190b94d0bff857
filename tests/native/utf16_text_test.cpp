#include "platform/utf16_text.h"

#include <gtest/gtest.h>

namespace tavrine {
namespace {

TEST(Utf16Text, every_script_round_trips_and_broken_text_is_refused) {
    // ASCII, Latin-1, a BMP CJK name and an astral emoji (a surrogate pair in UTF-16).
    const std::string names[] = {"Temp\\cache.log", "Zo\xC3\xAB \xC3\x9Cn\xC3\xAF",
                                 "\xE6\x9D\x8E\xE6\x98\x8E", "\xF0\x9F\x8E\xAE.dat"};
    const std::u16string wide[] = {u"Temp\\cache.log", u"Zo\u00EB \u00DCn\u00EF", u"\u674E\u660E",
                                   u"\U0001F3AE.dat"};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(utf16_from_utf8(names[i]), wide[i]) << names[i];
        EXPECT_EQ(utf8_from_utf16(wide[i]), names[i]) << names[i];
    }
    EXPECT_EQ(wide[3].size(), 6u);

    // A lone surrogate either way round, and UTF-8 that is broken, overlong, truncated or an
    // encoded surrogate, names nothing: refused, never guessed at.
    EXPECT_EQ(utf8_from_utf16(u"a\xD83C"
                              u"b"),
              std::nullopt);
    EXPECT_EQ(utf8_from_utf16(std::u16string(1, u'\xDF6E')), std::nullopt);
    for (const char* broken : {"a\xFF", "\xC0\xAF", "\xE6\x9D", "\xED\xA0\xBC", "\xF4\x90\x80\x80"}) {
        EXPECT_EQ(utf16_from_utf8(broken), std::nullopt) << broken;
    }
    // Text only shown keeps what it can.
    EXPECT_EQ(utf8_shown_from_utf16(u"a\xD83C"
                                    u"b"),
              "a\xEF\xBF\xBD"
              "b");
}

} // namespace
} // namespace tavrine
