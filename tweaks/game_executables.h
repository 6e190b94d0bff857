#pragma once

#include <array>

namespace tavrine {

// The game executables whose priority overrides "Audio stability" clears, in this order. Not the
// title catalogue's executables (games/title_catalogue.cpp): that list is what each title's
// deploy targets, this one what the routine clears. They are kept apart because they
// differ: ModernWarfare.exe is only here, Minecraft's javaw.exe only there. The spellings
// differ in case too, which is harmless: registry key names ignore case.
inline constexpr std::array<const char*, 22> kGameExecutables{
    "FortniteClient-Win64-Shipping.exe",
    "VALORANT-Win64-Shipping.exe",
    "cs2.exe",
    "r5apex.exe",
    "Overwatch.exe",
    "RainbowSix.exe",
    "RocketLeague.exe",
    "EscapeFromTarkov.exe",
    "League of Legends.exe",
    "ModernWarfare.exe",
    "cod.exe",
    "destiny2.exe",
    "GTA5.exe",
    "tslgame.exe",
    "dota2.exe",
    "RustClient.exe",
    "Marvel-Win64-Shipping.exe",
    "Discovery.exe",
    "helldivers2.exe",
    "bf2042.exe",
    "Deadlock.exe",
    "RobloxPlayerBeta.exe",
};

} // namespace tavrine
