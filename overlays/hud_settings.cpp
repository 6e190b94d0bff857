#include "overlays/hud_settings.h"

#include <algorithm>
#include <locale>
#include <sstream>

namespace tavrine {

std::string format_hud_settings(const HudSettings& s) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << s.enabled << '\n';
    for_each_hud_field(s, [&out](const char*, const auto& value) { out << value << '\n'; });
    return out.str();
}

void parse_hud_settings(std::string_view text, HudSettings& s) {
    std::istringstream in{std::string(text)};
    in.imbue(std::locale::classic());
    // Each read goes into a temporary: a failed extraction must not touch the field.
    auto read = [&in](const char*, auto& field) {
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
    s.corner = std::clamp(s.corner, 0, 3);
    s.opacity = std::clamp(s.opacity, 20, 100);
    s.poll_ms = std::clamp(s.poll_ms, 400, 3000);
    // A scale that is not a number would pass through clamp unchanged.
    s.scale = s.scale == s.scale ? std::clamp(s.scale, 0.75f, 1.6f) : 1.0f;
}

} // namespace tavrine
