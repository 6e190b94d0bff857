#pragma once

#include "engine/path_table.h"
#include "runs/modules.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavrine {

struct CliOptions {
    enum class Command { Plan, Apply, Status, ProfileExport } command = Command::Plan;
    PathKind path = PathKind::All;
    std::int32_t preset = preset_number(ProfilePresetIndex::Competitive);
    bool everything = false;
    std::vector<std::pair<Module, bool>> toggles; // in the order given
    std::optional<std::string> target;            // the game executable, as a page would pick it
    bool json = false;                            // status: JSON for scripts instead of lines
    std::optional<std::string> profile_file;      // --profile: the selections come from this file
    std::optional<std::string> export_file;       // profile export: where to write; none: stdout
};

struct CliParse {
    std::optional<CliOptions> options;
    std::string error;          // why parsing failed
    bool unknown_label = false; // the error names a module nobody knows
};

// The command first among the words that are not options; options and the path in any order.
CliParse parse_cli(const std::vector<std::string>& args);
std::optional<PathKind> parse_path_name(const std::string& name);

// Preset, then --everything, then each --arm / --disarm in order; then the target executable.
// With --profile the caller applies the profile first and `preset_too` is false.
void apply_cli_arms(const CliOptions& options, bool preset_too = true);

} // namespace tavrine
