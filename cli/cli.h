#pragma once
// The console front end: `plan` previews a path's changes, `apply` runs them on the same
// worker thread the window uses.

#include <iosfwd>
#include <string>
#include <vector>

namespace tavrine {

inline constexpr int kCliUsageError = 2;
// `status --profile`: some module the profile arms no longer reads back as applied.
inline constexpr int kCliDrifted = 3;
// `apply` stopped by Ctrl+C at a step boundary.
inline constexpr int kCliInterrupted = 130;

// Runs one command line (arguments without the program name) against the current machine.
int run_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tavrine
