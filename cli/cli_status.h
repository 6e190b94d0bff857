#pragma once
// `tavrine-cli status`: what each module of a path would still change on this machine.

#include "cli/cli_options.h"
#include "runs/profile.h"

#include <iosfwd>

namespace tavrine {

// One line per step of the path (or JSON with --json); reads the machine, changes nothing.
// With a profile (its selections already applied) each armed module is checked: 0 when all read
// back as applied, kCliDrifted when some do not (named). Modules that cannot be read back (a
// command's effect) or that hold only while the program runs are listed but are not drift.
int print_status(const CliOptions& options, const Profile* profile, std::ostream& out);

} // namespace tavrine
