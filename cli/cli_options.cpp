#include "cli/cli_options.h"

#include "engine/path_table.h"
#include "engine/target_exe.h"
#include "platform/ascii.h"

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

bool takes_value(const std::string& option) {
    return option == "--preset" || option == "--arm" || option == "--disarm" || option == "--target" ||
           option == "--profile";
}

CliParse failed(std::string error, bool unknown_label = false) {
    CliParse result;
    result.error = std::move(error);
    result.unknown_label = unknown_label;
    return result;
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
    CliOptions options;
    std::vector<std::string> words;
    bool preset_given = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("--")) {
            words.push_back(arg);
            continue;
        }
        if (arg == "--everything") {
            options.everything = true;
            continue;
        }
        if (arg == "--json") {
            options.json = true;
            continue;
        }
        if (!takes_value(arg)) {
            return failed("unknown option '" + arg + "'");
        }
        if (i + 1 >= args.size()) {
            return failed("option " + arg + " needs a value");
        }
        const std::string& value = args[++i];
        if (arg == "--preset") {
            const auto preset = parse_preset_name(value);
            if (!preset) {
                return failed("unknown preset '" + value + "'");
            }
            options.preset = *preset;
            preset_given = true;
        } else if (arg == "--target") {
            if (!is_bare_executable_name(value)) {
                return failed("--target takes an executable file name such as cs2.exe, not '" + value + "'");
            }
            options.target = value;
        } else if (arg == "--profile") {
            options.profile_file = value;
        } else {
            const auto module = find_module(value);
            if (!module) {
                return failed("unknown module '" + value + "'", true);
            }
            options.toggles.emplace_back(*module, arg == "--arm");
        }
    }

    if (words.empty()) {
        return failed("expected a command");
    }
    const std::string& command = words[0];
    std::size_t used = 1;
    if (command == "plan" || command == "apply" || command == "status") {
        options.command = command == "plan"    ? CliOptions::Command::Plan
                          : command == "apply" ? CliOptions::Command::Apply
                                               : CliOptions::Command::Status;
        // "status" alone covers every path; the other commands name theirs.
        if (words.size() < 2 && options.command != CliOptions::Command::Status) {
            return failed("expected a path after '" + command + "'");
        }
        if (words.size() >= 2) {
            const auto path = parse_path_name(words[1]);
            if (!path) {
                return failed("unknown path '" + words[1] + "'");
            }
            options.path = *path;
            used = 2;
        }
    } else if (command == "profile") {
        if (words.size() < 2 || words[1] != "export") {
            return failed("expected 'profile export [FILE]'");
        }
        options.command = CliOptions::Command::ProfileExport;
        used = 2;
        if (words.size() >= 3) {
            options.export_file = words[2];
            used = 3;
        }
    } else {
        return failed("unknown command '" + command + "'");
    }
    if (words.size() > used) {
        return failed("unexpected argument '" + words[used] + "'");
    }
    if (options.json && options.command != CliOptions::Command::Status) {
        return failed("--json goes with status");
    }
    if (preset_given && options.profile_file) {
        return failed("--preset and --profile both choose the preset; give one");
    }
    CliParse result;
    result.options = std::move(options);
    return result;
}

void apply_cli_arms(const CliOptions& options, bool preset_too) {
    if (preset_too) {
        apply_profile_preset(options.preset);
    }
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
