#include "games/title_catalogue.h"

namespace tavrine {

namespace {

// clang-format off
constexpr std::array<GameTitle, kTitleCount> kTitles{{
    {0, "Valorant", "PEEK LATENCY",
     "Raw mouse + Nagle + FSE. Tick-sensitive; overlays and DVR are the enemy.",
     "VALORANT-Win64-Shipping.exe"},
    {1, "Counter-Strike 2", "TICK + FRAMES",
     "Source 2 wants clean GPU scheduling, no capture hitch, tight TCP.",
     "cs2.exe"},
    {2, "Fortnite", "PERFORMANCE MODE",
     "Force the Performance renderer, competitive scalability, unparked P-cores, HIGH priority. DX12 Nanite is why you were stuck at 280.",
     "FortniteClient-Win64-Shipping.exe"},
    {3, "Warzone / COD", "RAM + STUTTER",
     "Huge streaming world - SysMain off, RAM tune, kill capture overlays.",
     "cod.exe"},
    {4, "Apex Legends", "MOVEMENT FPS",
     "Aim + netcode stack. EA background helpers get culled.",
     "r5apex.exe"},
    {5, "League of Legends", "INPUT + NET",
     "Not GPU-bound - mouse, notifications, DNS, and process priority matter more.",
     "League of Legends.exe"},
    {6, "Rainbow Six Siege", "COMPETITIVE FPS",
     "Same peek stack as Valorant - mouse 1:1, FSE, Nagle, Game Mode.",
     "RainbowSix.exe"},
    {7, "Overwatch 2", "SMOOTH FRAMES",
     "Blizzard FPS - DVR off, HAGS, visual FX cut, net stack.",
     "Overwatch.exe"},
    {8, "Escape from Tarkov", "CPU / RAM",
     "Stutter-prone scavenges - SysMain off, RAM/CPU, light net, cull OEM junk.",
     "EscapeFromTarkov.exe"},
    {9, "Rocket League", "PHYSICS NET",
     "Ball physics hates delayed ACK - Nagle off + QoS on the exe.",
     "RocketLeague.exe"},
    {10, "Destiny 2", "STUTTER / NET",
     "Activity swaps thrash RAM - SysMain off, DVR off, net + GPU clean.",
     "destiny2.exe"},
    {11, "GTA V / Online", "CPU + STREAM",
     "Open world streaming - RAM tune, SysMain off, Rockstar helpers culled.",
     "GTA5.exe"},
    {12, "PUBG", "BATTLE ROYALE",
     "Unreal BR - GPU + DVR off, Nagle, OEM cull, priority on TslGame.",
     "TslGame.exe"},
    {13, "Dota 2", "TICK + NET",
     "Source tick + netcode - mouse 1:1, Nagle off, flush DNS, light GPU.",
     "dota2.exe"},
    {14, "Rust", "SERVER FPS",
     "CPU-heavy survival - SysMain off, RAM, cull cloud/OEM, net stack.",
     "RustClient.exe"},
    {15, "Marvel Rivals", "HERO SHOOTER",
     "Peek stack like OW - DVR off, HAGS, Nagle, mouse, Game Mode.",
     "Marvel-Win64-Shipping.exe"},
    {16, "The Finals", "DESTRUCTION FPS",
     "Heavy GPU destruction - HAGS, visual FX cut, DVR off, net clean.",
     "Discovery.exe"},
    {17, "Helldivers 2", "CO-OP FPS",
     "CPU + net co-op - power plan, DVR off, SysMain soft, priority boost.",
     "helldivers2.exe"},
    {18, "Minecraft", "JAVA / RENDER",
     "Background cull + power plan; keep Java/Minecraft protected while boosting.",
     "javaw.exe"},
    {19, "Roblox", "INPUT + NET",
     "Client is light - mouse, notifications, DNS, Nagle, launcher clutter off.",
     "RobloxPlayerBeta.exe"},
    {20, "Battlefield 2042", "LARGE MAP",
     "Massive maps - RAM + SysMain off, GPU, kill capture, net QoS.",
     "BF2042.exe"},
    {21, "Deadlock", "VALVE HERO",
     "Source 2 hero shooter - tick + frames stack like CS2.",
     "deadlock.exe"},
}};
// clang-format on

constexpr bool indices_match_positions() {
    for (std::int32_t i = 0; i < kTitleCount; ++i) {
        if (kTitles[static_cast<std::size_t>(i)].index != i) {
            return false;
        }
    }
    return true;
}
static_assert(indices_match_positions(), "presets and special cases key on the index");

} // namespace

const std::array<GameTitle, kTitleCount>& title_catalogue() {
    return kTitles;
}

const GameTitle* title_at(std::int32_t index) {
    if (static_cast<std::uint32_t>(index) >= static_cast<std::uint32_t>(kTitleCount)) {
        return nullptr;
    }
    return &kTitles[static_cast<std::size_t>(index)];
}

} // namespace tavrine
