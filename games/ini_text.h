#pragma once
// The INI merge behind the game configuration rewrite: pure text in, text out, no files and
// no machine, so it can be tested and fuzzed on its own.

#include <span>
#include <string>
#include <string_view>

namespace tavrine {

// One wanted setting: `key` = `value` under "[section]".
struct IniEdit {
    const char* section;
    const char* key;
    const char* value;
};

// Sets `key` to `value` in "[section]" of `text` (UTF-8, any line ends; returned with "\n"
// line ends). An existing line for the key (letter case ignored, spaces or tabs allowed
// before the "=") is rewritten in place; a missing key becomes the first line under its
// header; a missing section is appended at the end. Every other line stays as it was.
// An empty section or key changes nothing.
void set_ini_value(std::string& text, std::string_view section, std::string_view key, std::string_view value);

// Every edit in order.
void apply_ini_edits(std::string& text, std::span<const IniEdit> edits);

// "\n" line ends as the game writes them: every "\n" becomes "\r\n".
std::string with_crlf_line_ends(std::string_view text);

} // namespace tavrine
