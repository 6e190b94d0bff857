// "hud.cfg" in the settings folder.
#include "engine/app_data_folder.h"
#include "overlays/hud.h"

namespace tavrine {

void load_hud_settings() {
    if (const std::optional<std::string> text = AppDataFolder::read(SettingsFile::Hud)) {
        parse_hud_settings(*text, hud_settings());
    }
    request_hud_redraw();
}

bool save_hud_settings() {
    return AppDataFolder::write(SettingsFile::Hud, format_hud_settings(hud_settings()));
}

} // namespace tavrine
