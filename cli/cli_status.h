#pragma once
// `tavrine-cli status`: what each module of a path would still change on this machine.

#include "cli/cli_options.h"

#include <iosfwd>

namespace tavrine {

// One line per step of the path (or JSON with --json); reads the machine, changes nothing.
int print_status(const CliOptions& options, std::ostream& out);

} // namespace tavrine
