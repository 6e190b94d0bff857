#pragma once
// A profile: the user's selections as one file ("*.tavrine.json"), to set up another PC the same
// way or to tell when this one has drifted. It holds only names the program knows (paths, presets,
// module labels, a title, a vendor choice, a bare executable name, the overlays' numbers): a
// profile passed around can carry nothing but choices among the program's own settings.

#include "engine/paths.h"
#include "engine/target_exe.h"
#include "gpu/gpu_vendor.h"
#include "overlays/crosshair.h"
#include "overlays/hud_settings.h"
#include "runs/modules.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine {

inline constexpr int kProfileFormatVersion = 1;
// A profile is a page of names; anything larger is not one.
inline constexpr std::size_t kProfileMaxBytes = 1024 * 1024;

// One path's part: the preset it started from and the modules of its block that are armed.
struct ProfilePath {
    PathKind path = PathKind::Latency;
    std::int32_t preset = preset_number(ProfilePresetIndex::Competitive);
    std::vector<Module> armed; // in module-table order

    bool operator==(const ProfilePath&) const = default;
};

struct Profile {
    std::string name;               // shown in status output; may be empty
    std::vector<ProfilePath> paths; // in path-table order; a path left out keeps its preset's arms
    std::string target;             // the game executable; empty: none chosen
    std::int32_t title = kNoTitle;
    GpuVendor vendor = GpuVendor::Unknown; // Unknown: every vendor present ("auto")
    // The window's overlays, when exported from the window: their look, never whether they are
    // shown. The command line neither writes nor applies them.
    std::optional<CrosshairSettings> crosshair;
    std::optional<HudSettings> hud;

    bool operator==(const Profile&) const = default;
};

// The five paths with a block of their own, in path-table order.
std::vector<PathKind> profile_paths();

// The current selections as a profile: every path with the current preset and its armed modules.
Profile current_profile(std::string name);

// Sets the arm flags, preset, target, title and vendor as the profile says, as if the user had
// picked them. `run_path` chooses the preset index kept (a run of "all" keeps the CPU path's,
// the one part a run reads). Returns one line per path that arms modules its own preset leaves
// off, so nothing is armed against a preset without being said.
std::vector<std::string> apply_profile(const Profile& profile, PathKind run_path);

// Whether `module` is armed by the profile; nullopt when the profile leaves its path out.
std::optional<bool> profile_arms(const Profile& profile, Module module);

// [SECTION] file text (profile_json.cpp)

// The profile as JSON text, keys in a fixed order, ending in a newline.
std::string profile_text(const Profile& profile);

struct ProfileParse {
    std::optional<Profile> profile;
    std::string error; // "line L, column C: ..." when the text is refused
};
// Strict: the text must be JSON of this format version with only known fields and names.
ProfileParse parse_profile(std::string_view text);

} // namespace tavrine
