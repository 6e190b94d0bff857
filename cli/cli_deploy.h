#pragma once
// The title commands of tavrine-cli: `titles`, `plan deploy <title>`, `apply deploy <title>`.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tavrine {

// The exit code when `args` is one of the title commands, nothing when it is not.
std::optional<int> run_title_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A title by its name (any letter case) or its catalogue index.
std::optional<std::int32_t> parse_title(const std::string& text);

} // namespace tavrine
