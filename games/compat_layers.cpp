#include "games/compat_layers.h"

#include "engine/primitives.h"
#include "process/process_image_path.h"

#include <string>

namespace tavrine {

void set_fullscreen_layer(std::string_view exe) {
    if (exe.empty()) {
        return;
    }
    const std::string name(exe);
    write_string(kLayersKey, name.c_str(), kFullscreenLayer);
    const std::string path = find_process_image_path(exe);
    if (!path.empty()) {
        write_string(kLayersKey, path.c_str(), kFullscreenLayer);
    }
}

void clear_fullscreen_layer(std::string_view exe) {
    if (exe.empty()) {
        return;
    }
    const std::string name(exe);
    delete_value(kLayersKey, name.c_str());
    const std::string path = find_process_image_path(exe);
    if (!path.empty()) {
        delete_value(kLayersKey, path.c_str());
    }
}

void write_directx_global_settings() {
    write_string(kDirectXKey, "DirectXUserGlobalSettings", kDirectXGlobalSettings);
}

} // namespace tavrine
