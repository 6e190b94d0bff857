#include "games/ini_text.h"

#include "platform/ascii.h"

namespace tavrine {

namespace {

// One line end, "\n", everywhere: "\r\n" loses its carriage return, and a carriage return on
// its own (old Mac line ends) becomes a line end rather than gluing two lines together.
void normalise_line_ends(std::string& text) {
    if (text.find('\r') == std::string::npos) {
        if (!text.empty() && text.back() != '\n') {
            text.push_back('\n');
        }
        return;
    }
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out.push_back(text[i]);
        } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
            out.push_back('\n');
        }
    }
    if (!out.empty() && out.back() != '\n') {
        out.push_back('\n');
    }
    text.swap(out);
}

bool starts_with_ignoring_case(std::string_view text, std::size_t at, std::string_view prefix) {
    return text.size() - at >= prefix.size() && iequals(text.substr(at, prefix.size()), prefix);
}

// The start of the first line that is the header, or npos. The header must be followed by a
// space, a tab, a line end or the end of the text: "[ScalabilityGroups]x" is another line.
std::size_t find_section(std::string_view text, std::string_view header) {
    for (std::size_t at = 0; at <= text.size();) {
        if (starts_with_ignoring_case(text, at, header)) {
            const std::size_t after = at + header.size();
            if (after == text.size() || text[after] == ' ' || text[after] == '\t' || text[after] == '\n') {
                return at;
            }
        }
        const std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) {
            break;
        }
        at = end + 1;
    }
    return std::string_view::npos;
}

// The key, then any spaces or tabs, then "=". A longer key that starts with this one is not it.
bool line_sets_key(std::string_view line, std::string_view key) {
    if (!starts_with_ignoring_case(line, 0, key)) {
        return false;
    }
    std::size_t at = key.size();
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
        ++at;
    }
    return at < line.size() && line[at] == '=';
}

} // namespace

void set_ini_value(std::string& text, std::string_view section, std::string_view key,
                   std::string_view value) {
    if (section.empty() || key.empty()) {
        return;
    }
    normalise_line_ends(text);
    std::string header = "[";
    header.append(section).append("]");
    std::string setting(key);
    setting.append("=").append(value);

    const std::size_t header_at = find_section(text, header);
    if (header_at == std::string::npos) {
        text.append(header).append("\n").append(setting).append("\n");
        return;
    }
    const std::size_t header_end = text.find('\n', header_at);
    const std::size_t body = header_end == std::string::npos ? text.size() : header_end + 1;
    for (std::size_t at = body; at < text.size() && text[at] != '[';) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (line_sets_key(std::string_view(text).substr(at, end - at), key)) {
            text.replace(at, end - at, setting);
            return;
        }
        at = end + 1;
    }
    text.insert(body, setting + "\n");
}

void apply_ini_edits(std::string& text, std::span<const IniEdit> edits) {
    for (const IniEdit& edit : edits) {
        set_ini_value(text, edit.section, edit.key, edit.value);
    }
}

std::string with_crlf_line_ends(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') {
            out.push_back('\r');
        }
        out.push_back(c);
    }
    return out;
}

} // namespace tavrine
