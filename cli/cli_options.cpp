#include "cli/cli_options.h"

#include "engine/path_table.h"
#include "engine/target_exe.h"
#include "platform/ascii.h"

#include <string_view>

namespace tavrine {

namespace {

std::optional<std::int32_t> parse_preset_name(const std::string& name) {
    for (const ProfilePresetIndex preset : kProfilePresets) {
        if (iequals(name, profile_preset_name(preset_number(preset)))) {
            return preset_number(preset);
        }
    }
    return std::nullopt;
}

// What a process snapshot could name: a Windows file name, no folder, within the snapshot's
// 260-byte buffer. Apostrophes and percent signs are legal in file names and stay.
bool is_executable_file_name(const std::string& name) {
    if (name.empty() || name.size() > TargetExe::kCapacity || name == "." || name == "..") {
        return false;
    }
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<PathKind> parse_path_name(const std::string& name) {
    for (const PathFacts& facts : kPathTable) {
        if (iequals(name, facts.name)) {
            return facts.path;
        }
    }
    return std::nullopt;
}

CliParse parse_cli(const std::vector<std::string>& args) {
    CliParse result;
    // "status" alone covers every path; the other commands name theirs.
    const bool status = !args.empty() && args[0] == "status";
    const bool path_given = args.size() >= 2 && !args[1].starts_with("--");
    if (args.empty() || (!status && args.size() < 2)) {
        result.error = "expected a command and a path";
        return result;
    }
    CliOptions options;
    if (args[0] == "plan") {
        options.command = CliOptions::Command::Plan;
    } else if (args[0] == "apply") {
        options.command = CliOptions::Command::Apply;
    } else if (status) {
        options.command = CliOptions::Command::Status;
    } else {
        result.error = "unknown command '" + args[0] + "'";
        return result;
    }
    if (path_given || !status) {
        const auto path = parse_path_name(args[1]);
        if (!path) {
            result.error = "unknown path '" + args[1] + "'";
            return result;
        }
        options.path = *path;
    }

    for (std::size_t i = path_given ? 2 : 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--everything") {
            options.everything = true;
            continue;
        }
        if (arg == "--json" && status) {
            options.json = true;
            continue;
        }
        if (arg != "--preset" && arg != "--arm" && arg != "--disarm" && arg != "--target") {
            result.error = "unknown option '" + arg + "'";
            return result;
        }
        if (i + 1 >= args.size()) {
            result.error = "option " + arg + " needs a value";
            return result;
        }
        const std::string& value = args[++i];
        if (arg == "--preset") {
            const auto preset = parse_preset_name(value);
            if (!preset) {
                result.error = "unknown preset '" + value + "'";
                return result;
            }
            options.preset = *preset;
            continue;
        }
        if (arg == "--target") {
            if (!is_executable_file_name(value)) {
                result.error = "--target takes an executable file name such as cs2.exe, not '" + value + "'";
                return result;
            }
            options.target = value;
            continue;
        }
        const auto module = find_module(value);
        if (!module) {
            result.error = "unknown module '" + value + "'";
            result.unknown_label = true;
            return result;
        }
        options.toggles.emplace_back(*module, arg == "--arm");
    }
    result.options = options;
    return result;
}

void apply_cli_arms(const CliOptions& options) {
    apply_profile_preset(options.preset);
    ModuleArms& arms = module_arms();
    if (options.everything) {
        for (const ModuleInfo& info : module_table()) {
            if (path_covers(options.path, info.block)) {
                arms.set(info.module, true);
            }
        }
    }
    for (const auto& [module, on] : options.toggles) {
        arms.set(module, on);
    }
    if (options.target) {
        target_exe().set(*options.target);
    }
}

} // namespace tavrine
