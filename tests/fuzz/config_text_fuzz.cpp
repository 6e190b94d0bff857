// libFuzzer target for the game configuration rewrite's text logic: any bytes a game (or a
// broken disk) may leave in an INI file. Checks beyond "no crash, no sanitizer report":
//  - text decoded from a file encodes back to bytes that decode to the same text;
//  - valid UTF-8 survives encode then decode, in both encodings;
//  - one merge, or the whole Fortnite edit list, run a second time changes nothing.
// Built and run by scripts/fuzz.sh.

#include "games/config_encoding.h"
#include "games/fortnite_edits.h"
#include "games/ini_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace tavrine;

void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "config text fuzz: %s does not hold\n", what);
        std::abort();
    }
}

bool is_valid_utf8(const std::string& text) {
    return encode_config_text(decode_config_text(encode_config_text(text, true)).text, false) == text;
}

bool merge_is_stable(std::string_view section, std::string_view key, std::string_view value) {
    const auto plain = [](std::string_view part) {
        return part.find_first_of("\r\n") == std::string_view::npos;
    };
    return !section.empty() && !key.empty() && key.front() != '[' && plain(section) && plain(key) &&
           plain(value);
}

void round_trips(std::string_view bytes) {
    const ConfigText decoded = decode_config_text(bytes);
    const ConfigText again = decode_config_text(encode_config_text(decoded.text, decoded.was_utf16));
    if (decoded.was_utf16) {
        check(again.was_utf16 && again.text == decoded.text, "UTF-16 text round trip");
    }
    // Plain valid UTF-8, read as text: written either way it comes back as it went in.
    const std::string text(bytes);
    const bool starts_like_a_mark = text.rfind("\xEF\xBB\xBF", 0) == 0;
    if (!starts_like_a_mark && text.find('\0') == std::string::npos && is_valid_utf8(text)) {
        const ConfigText wide = decode_config_text(encode_config_text(text, true));
        check(wide.was_utf16 && wide.text == text, "UTF-8 text through UTF-16");
        const ConfigText narrow = decode_config_text(encode_config_text(text, false));
        check(!narrow.was_utf16 && narrow.text == text, "UTF-8 text through UTF-8");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(40);
    const std::string key = input.ConsumeRandomLengthString(40);
    const std::string value = input.ConsumeRandomLengthString(40);
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    round_trips(bytes);

    std::string text = decode_config_text(bytes).text;
    set_ini_value(text, section, key, value);
    if (merge_is_stable(section, key, value)) {
        check(text.find('\r') == std::string::npos, "no carriage return left");
        const std::string once = text;
        set_ini_value(text, section, key, value);
        check(text == once, "one merge run twice");
    }

    std::string config = decode_config_text(bytes).text;
    apply_ini_edits(config, game_user_settings_edits());
    apply_ini_edits(config, engine_edits());
    const std::string first = config;
    apply_ini_edits(config, game_user_settings_edits());
    apply_ini_edits(config, engine_edits());
    check(config == first, "the edit lists run twice");
    check(!encode_config_text(with_crlf_line_ends(config), true).empty(), "an encoded text has its mark");
    return 0;
}
