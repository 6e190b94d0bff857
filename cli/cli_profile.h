#pragma once
// `--profile FILE` and `tavrine-cli profile export [FILE]`: the selections read from and written
// to a profile file. The file is the one the user named, read and written only at that path.

#include "cli/cli_options.h"
#include "runs/profile.h"

#include <iosfwd>
#include <optional>

namespace tavrine {

// Sets the selections for a command: the profile (and says where it arms beyond its presets),
// then the options given on the line. False when the profile was refused.
bool apply_selections(const CliOptions& options, std::optional<Profile>& profile, std::ostream& err);

// Writes the current selections as a profile to the file named, else to `out`.
int export_profile(const CliOptions& options, std::ostream& out, std::ostream& err);

} // namespace tavrine
