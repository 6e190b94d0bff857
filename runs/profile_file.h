#pragma once
// A profile file at a path the user chose (on the command line or in a file dialog): read and
// written through the machine's files, only at that path. Nothing looks for a profile by itself.

#include "runs/profile.h"

#include <optional>
#include <string>
#include <string_view>

namespace tavrine {

struct ProfileLoad {
    std::optional<Profile> profile; // named after its file when it names itself nothing
    std::string error;              // why not, for "FILE: <error>"
};
ProfileLoad load_profile_file(std::string_view file);

// Writes the profile whole (or not at all); the full path written, or nullopt.
std::optional<std::string> save_profile_file(std::string_view file, const Profile& profile);

// "lan-room.tavrine.json" is called "lan-room" inside.
std::string profile_name_from_file(std::string_view file);

} // namespace tavrine
