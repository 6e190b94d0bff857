#pragma once
// The 22 game titles the optimiser knows: display name, card tag line, blurb and the executable
// the game runs as (the target of the game clamp and of "Prioritize exe").

#include <array>
#include <cstdint>
#include <optional>

namespace tavrine {

struct GameTitle {
    std::int32_t index;
    const char* name;
    const char* tag;
    const char* blurb;
    const char* exe; // may be null for a title without a known executable
};

inline constexpr std::int32_t kTitleCount = 22;

const std::array<GameTitle, kTitleCount>& title_catalogue();
// The record at `index`, or nothing when it is outside 0 to 21 (negative included).
const GameTitle* title_at(std::int32_t index);

} // namespace tavrine
