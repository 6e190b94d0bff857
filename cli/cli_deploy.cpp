#include "cli/cli_deploy.h"

#include "cli/cli_exit_codes.h"
#include "engine/run_status.h"
#include "engine/worker_gate.h"
#include "games/title_catalogue.h"
#include "platform/ascii.h"
#include "platform/console_interrupt.h"
#include "platform/recording/recording_machine.h"
#include "runs/deploy.h"

#include <charconv>
#include <chrono>
#include <iomanip>
#include <ostream>
#include <thread>

namespace tavrine {

namespace {

void print_titles(std::ostream& out) {
    for (const GameTitle& title : title_catalogue()) {
        out << std::setw(3) << title.index << "  " << std::left << std::setw(20) << title.name
            << std::setw(36) << (title.exe != nullptr ? title.exe : "-") << title.tag << std::right << "\n";
    }
}

int plan_deploy(std::int32_t index, std::ostream& out) {
    RecordingMachine recorder(current_machine());
    ScopedMachine scope(recorder);
    out << "# plan for the deploy of " << title_at(index)->name << ", " << kDeployStageCount
        << " stages; nothing below has been changed\n";
    std::size_t printed = 0;
    const auto flush = [&] {
        const std::vector<std::string> lines = recorder.lines();
        for (; printed < lines.size(); ++printed) {
            out << lines[printed] << "\n";
        }
    };
    run_deploy(index, [&](std::int32_t stage, const char* label) {
        flush();
        out << "# [" << stage << "/" << kDeployStageCount << "] " << label << "\n";
    });
    flush();
    out << "# then: " << deploy_status().status_text.get() << "\n";
    return 0;
}

int apply_deploy(std::int32_t index, std::ostream& out, std::ostream& err) {
    if (!current_machine().security().is_elevated()) {
        err << "tavrine-cli apply changes machine-wide settings and needs administrator rights.\n"
               "Run it from an elevated prompt (Run as administrator).\n";
        return kCliUsageError;
    }
    if (!start_deploy(index)) {
        err << "the deploy did not start: another job is still running\n";
        return 1;
    }
    const DeployStatus& deploy = deploy_status();
    std::size_t last_width = 0;
    const auto show = [&] {
        std::string line = "Step " + std::to_string(deploy.stage.load()) + " / " +
                           std::to_string(std::max(deploy.stage_count.load(), 1)) + "  " +
                           deploy.status_text.get();
        const std::size_t width = line.size();
        if (width < last_width) {
            line.append(last_width - width, ' ');
        }
        last_width = width;
        out << "\r" << line << std::flush;
    };
    // Ctrl+C asks the deploy to stop after the stage under way; the program ends when it has.
    const ScopedConsoleInterrupt interrupt(request_worker_stop);
    while (active_worker() == WorkerKind::Deploy) {
        show();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    join_worker(std::chrono::milliseconds(0));
    show();
    out << "\n";
    if (const int finished = run_status().completed_steps.load(); finished < kDeployStageCount) {
        out << "Stopped after stage " << finished << " of " << kDeployStageCount
            << "; the history says so, and tavrine-cli apply undo takes back what it changed.\n";
        return kCliInterrupted;
    }
    return 0;
}

} // namespace

std::optional<std::int32_t> parse_title(const std::string& text) {
    std::int32_t index = -1;
    const char* end = text.data() + text.size();
    if (const auto [at, error] = std::from_chars(text.data(), end, index);
        error == std::errc() && at == end) {
        return title_at(index) != nullptr ? std::optional(index) : std::nullopt;
    }
    for (const GameTitle& title : title_catalogue()) {
        if (iequals(title.name, text)) {
            return title.index;
        }
    }
    return std::nullopt;
}

std::optional<int> run_title_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && args[0] == "titles") {
        print_titles(out);
        return 0;
    }
    if (args.size() < 2 || args[1] != "deploy" || (args[0] != "plan" && args[0] != "apply")) {
        return std::nullopt;
    }
    if (args.size() != 3) {
        err << "tavrine-cli: usage: tavrine-cli " << args[0] << " deploy <title name or index>\n";
        return kCliUsageError;
    }
    const std::optional<std::int32_t> index = parse_title(args[2]);
    if (!index) {
        err << "tavrine-cli: unknown title '" << args[2] << "'; the titles are:\n";
        print_titles(err);
        return kCliUsageError;
    }
    return args[0] == "plan" ? plan_deploy(*index, out) : apply_deploy(*index, out, err);
}

} // namespace tavrine
