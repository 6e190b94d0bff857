#pragma once
// `tavrine-cli history`, `plan undo [ID]` and `apply undo [ID]`.

#include <iosfwd>
#include <string>
#include <vector>

namespace tavrine {

// True when `args` is one of the history commands (then run_history_command handles it).
bool is_history_command(const std::vector<std::string>& args);
int run_history_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tavrine
