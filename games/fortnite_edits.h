#pragma once
// What the Fortnite "Performance Mode" sets in the game's two configuration files, in the
// order the edits are applied.

#include "games/ini_text.h"

#include <span>

namespace tavrine {

std::span<const IniEdit> game_user_settings_edits(); // "GameUserSettings.ini", 30 edits
std::span<const IniEdit> engine_edits();             // "Engine.ini", 31 edits

} // namespace tavrine
