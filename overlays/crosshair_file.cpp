// "crosshair.cfg" in the settings folder, and the operations that change the record and save
// it at once (presets, the F8 toggle).
#include "engine/app_data_folder.h"
#include "overlays/crosshair.h"

#include <optional>
#include <string>

namespace tavrine {

void load_crosshair_settings() {
    const std::optional<std::string> text = AppDataFolder::read(SettingsFile::Crosshair);
    if (!text) {
        return; // first run, or unreadable: the current values stand
    }
    parse_crosshair_settings(*text, crosshair_settings());
}

void save_crosshair_settings() {
    // Whole or not at all: a failed write leaves the previous file as it was.
    AppDataFolder::write(SettingsFile::Crosshair, format_crosshair_settings(crosshair_settings()));
}

void apply_crosshair_preset(int index) {
    apply_crosshair_preset_to(crosshair_settings(), index);
    save_crosshair_settings();
}

void toggle_crosshair_overlay() {
    CrosshairSettings& settings = crosshair_settings();
    settings.enabled = !settings.enabled;
    save_crosshair_settings();
}

} // namespace tavrine
