#include "overlays/hud_settings.h"

#include <algorithm>
#include <locale>
#include <sstream>

namespace tavrine {

std::string format_hud_settings(const HudSettings& s) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << s.enabled << '\n';
    for_each_hud_field(s, [&out](const char*, const auto& value, const auto&...) { out << value << '\n'; });
    return out.str();
}

void parse_hud_settings(std::string_view text, HudSettings& s) {
    std::istringstream in{std::string(text)};
    in.imbue(std::locale::classic());
    // Each read goes into a temporary: a failed extraction must not touch the field.
    auto read = [&in](const char*, auto& field, const auto&...) {
        auto value = field;
        if (in && in >> value) {
            field = value;
        }
    };
    read("enabled", s.enabled);
    for_each_hud_field(s, read);
    clamp_hud_settings(s);
}

void clamp_hud_settings(HudSettings& s) {
    // A scale that is not a number would pass through clamp unchanged.
    if (s.scale != s.scale) {
        s.scale = HudSettings{}.scale;
    }
    for_each_hud_field(s, [](const char*, auto& value, const auto&... range) {
        ((value = std::clamp(value, range.load_min, range.load_max)), ...);
    });
}

} // namespace tavrine
