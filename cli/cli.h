#pragma once
// The console front end: `plan` previews a path's changes, `apply` runs them on the same
// worker thread the window uses.

#include "cli/cli_exit_codes.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace tavrine {

// Runs one command line (arguments without the program name) against the current machine.
int run_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tavrine
