#include "cli/cli.h"

#include "cli/build_info.h"
#include "cli/cli_deploy.h"
#include "cli/cli_gpu.h"
#include "cli/cli_options.h"
#include "cli/cli_profile.h"
#include "cli/cli_status.h"
#include "cli/history_command.h"
#include "engine/run_status.h"
#include "engine/worker_gate.h"
#include "platform/console_interrupt.h"
#include "platform/recording/recording_machine.h"
#include "process/cull.h"
#include "runs/pipeline.h"

#include <algorithm>
#include <chrono>
#include <iomanip>
#include <ostream>
#include <thread>

namespace tavrine {

namespace {

void print_usage(std::ostream& to) {
    to << "usage: tavrine-cli plan|apply <all|latency|frames|netcode|cleanup|cpu>\n"
          "                  [--preset casual|competitive|streamer] [--arm LABEL]... [--disarm LABEL]...\n"
          "                  [--everything] [--target GAME.exe] [--profile FILE]\n"
          "       tavrine-cli status [PATH] [--json] [--profile FILE] [options as above]\n"
          "       tavrine-cli profile export [FILE] [options as above]\n"
          "       tavrine-cli plan|apply gpu [--vendor auto|nvidia|amd|intel]\n"
          "       tavrine-cli --help | --version\n"
          "  plan   print every change a run would make, in order, without changing anything;\n"
          "         a change already in place is marked (already)\n"
          "  apply  make the changes (needs administrator rights)\n"
          "  status say per module whether it is applied on this machine (every path by default)\n"
          "  options and the path may come in any order\n"
          "  --target names the game executable \"Prioritize exe\" and the game clamp act on\n"
          "  --profile takes the selections from a profile file; --arm/--disarm apply on top\n"
          "  profile export  write the selections (these options, else the defaults) as a profile\n"
          "         to FILE, else to standard output\n"
          "       tavrine-cli titles | plan deploy <title> | apply deploy <title>\n"
          "  a title's stack and its seven deploy stages; a title is its name (any case) or index\n"
          "       tavrine-cli history | plan undo [ID] | apply undo [ID]\n"
          "  history     list past runs and how many of their changes can be undone\n"
          "  undo        put back what a run changed (default: the last run not yet undone)\n"
          "  gpu    the GPU vendor profile, the MSI walk and hardware GPU scheduling (auto: the\n"
          "         remembered vendor, else every vendor present)\n"
          "  exit codes: 0 done (status: every armed module applied), 2 bad input,\n"
          "         3 status --profile: some armed modules have drifted, 130 apply interrupted\n";
}

bool asks_for_help(const std::vector<std::string>& args) {
    return std::ranges::any_of(
        args, [](const std::string& arg) { return arg == "--help" || arg == "-h" || arg == "/?"; });
}

void print_known_labels(std::ostream& err) {
    err << "known modules:\n";
    for (const ModuleInfo& info : module_table()) {
        const char* label = is_cull_option(info.module) ? info.page_row : info.step_label;
        err << "  " << std::left << std::setw(16) << label << " (" << path_name(info.block) << ")\n";
    }
}

int plan(const CliOptions& options, std::ostream& out) {
    RecordingMachine recorder(current_machine());
    ScopedMachine scope(recorder);
    std::vector<ModuleStep> steps = build_step_list(options.path);
    out << "# plan for the " << path_name(options.path) << " path, preset "
        << profile_preset_name(profile_preset().load()) << ", " << steps.size()
        << " steps; nothing below has been changed\n";
    std::size_t printed = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].job) {
            steps[i].job();
        }
        // The heading counts what the step would still change, so it follows the step.
        const std::vector<PlanLine> lines = recorder.plan_lines();
        const int to_change = tally(lines, printed).still_to_change();
        out << "# [" << (i + 1) << "/" << steps.size() << "] " << shown_label(steps[i].label) << "  ("
            << to_change << " to change)\n";
        for (; printed < lines.size(); ++printed) {
            if (lines[printed].shown) {
                out << shown_text(lines[printed]) << "\n";
            }
        }
    }
    return 0;
}

int apply(const CliOptions& options, std::ostream& out, std::ostream& err) {
    if (!current_machine().security().is_elevated()) {
        err << "tavrine-cli apply changes machine-wide settings and needs administrator rights.\n"
               "Run it from an elevated prompt (Run as administrator).\n";
        return kCliUsageError;
    }
    RunStatus& status = run_status();
    build_and_start_run(options.path);
    if (!status.run_in_progress.load()) {
        err << "the run did not start: " << status.status_message.get() << "\n";
        return 1;
    }
    std::size_t last_width = 0;
    const auto show = [&] {
        std::string line = std::string(shown_label(status.current_label.load())) + "  " +
                           std::to_string(status.completed_steps.load()) + " / " +
                           std::to_string(status.total_steps.load());
        const std::size_t width = line.size();
        if (width < last_width) {
            line.append(last_width - width, ' '); // wipe the tail of a longer previous label
        }
        last_width = width;
        out << "\r" << line << std::flush;
    };
    // Ctrl+C asks the run to stop after the step under way; the program ends when it has.
    const ScopedConsoleInterrupt interrupt(request_worker_stop);
    while (pipeline_worker_active()) {
        show();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    join_worker(std::chrono::milliseconds(0));
    show();
    if (status.completed_steps.load() < status.total_steps.load()) {
        out << "\nStopped after step " << status.completed_steps.load() << " of " << status.total_steps.load()
            << "; the history says so, and tavrine-cli apply undo takes back what it changed.\n";
        return kCliInterrupted;
    }
    show_run_result();
    out << "\n" << result_text() << "\n";
    if (path_covers(options.path, PathKind::CpuCull) && module_arms().any_cull_option() &&
        cull_result().get().before > 0) {
        out << cull_result_line() << "\n";
    }
    return 0;
}

} // namespace

int run_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (asks_for_help(args)) {
        print_usage(out);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << "tavrine-cli " << build_version() << " (commit " << build_commit() << ")\n";
        return 0;
    }
    if (is_history_command(args)) {
        return run_history_command(args, out, err);
    }
    if (is_gpu_command(args)) {
        return run_gpu_cli(args, out, err);
    }
    if (const std::optional<int> code = run_title_cli(args, out, err)) {
        return *code;
    }
    const CliParse parsed = parse_cli(args);
    if (!parsed.options) {
        err << "tavrine-cli: " << parsed.error << "\n";
        if (parsed.unknown_label) {
            print_known_labels(err);
        } else {
            print_usage(err);
        }
        return kCliUsageError;
    }
    const CliOptions& options = *parsed.options;
    if (options.command == CliOptions::Command::ProfileExport) {
        return export_profile(options, out, err);
    }
    std::optional<Profile> profile;
    if (!apply_selections(options, profile, err)) {
        return kCliUsageError;
    }
    if (options.command == CliOptions::Command::Plan) {
        return plan(options, out);
    }
    if (options.command == CliOptions::Command::Status) {
        return print_status(options, profile ? &*profile : nullptr, out);
    }
    return apply(options, out, err);
}

} // namespace tavrine
