#pragma once
// Per-executable compatibility layers (the desktop's fullscreen optimisations off for a game)
// and the current user's global DirectX settings.

#include <string_view>

namespace tavrine {

inline constexpr const char* kLayersKey =
    "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
inline constexpr const char* kFullscreenLayer = "~ DISABLEDXMAXIMIZEDWINDOWEDMODE";
inline constexpr const char* kDirectXKey = "HKCU\\SOFTWARE\\Microsoft\\DirectX\\UserGpuPreferences";
inline constexpr const char* kDirectXGlobalSettings =
    "VRROptimizeEnable=0;AutoHDREnable=0;SwapEffectUpgradeEnable=0;";

// The layer under the bare executable name and, when the game runs, under its full image path
// too (the game may not be running, and Windows looks the path up). An empty name does nothing.
void set_fullscreen_layer(std::string_view exe);
// Removes what set_fullscreen_layer writes; a missing key or value is fine.
void clear_fullscreen_layer(std::string_view exe);
// "DirectXUserGlobalSettings": variable refresh optimisation, Auto HDR and the swap-effect
// upgrade off.
void write_directx_global_settings();

} // namespace tavrine
