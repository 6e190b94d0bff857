#pragma once

#include "engine/path_table.h"
#include "runs/modules.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavrine {

struct CliOptions {
    enum class Command { Plan, Apply, Status } command = Command::Plan;
    PathKind path = PathKind::All;
    std::int32_t preset = preset_number(ProfilePresetIndex::Competitive);
    bool everything = false;
    std::vector<std::pair<Module, bool>> toggles; // in the order given
    std::optional<std::string> target;            // the game executable, as a page would pick it
    bool json = false;                            // status: JSON for scripts instead of lines
};

struct CliParse {
    std::optional<CliOptions> options;
    std::string error;          // why parsing failed
    bool unknown_label = false; // the error names a module nobody knows
};

CliParse parse_cli(const std::vector<std::string>& args);
std::optional<PathKind> parse_path_name(const std::string& name);

// Preset, then --everything, then each --arm / --disarm in order; then the target executable.
void apply_cli_arms(const CliOptions& options);

} // namespace tavrine
