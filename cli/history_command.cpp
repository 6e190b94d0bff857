#include "cli/history_command.h"

#include "cli/cli_exit_codes.h"
#include "engine/history.h"
#include "engine/history_undo.h"
#include "engine/worker_gate.h"
#include "platform/console_interrupt.h"
#include "platform/machine.h"
#include "platform/recording/recording_machine.h"

#include <iomanip>
#include <optional>
#include <ostream>

namespace tavrine {

namespace {

constexpr int kUsageError = 2;

constexpr int kRefused = 2;

std::string entry_state(const HistoryEntry& entry) {
    if (entry.moved) {
        return "moved from the user's folder; can be viewed, not undone";
    }
    if (entry.forged) {
        return "refused: " + entry.error;
    }
    if (!entry.file) {
        return "damaged: " + entry.error;
    }
    if (entry.file->incomplete) {
        return "not undoable: a line could not be written";
    }
    if (!entry.refused.empty()) {
        return "refused: " + std::to_string(entry.refused.size()) +
               " lines are not something this program changes";
    }
    if (!entry.undone_by.empty()) {
        return entry.undo_state() + " by " + entry.undone_by;
    }
    std::string state = entry.file->header.undoes.empty() ? "" : "undo of " + entry.file->header.undoes;
    if (!entry.file->ended) {
        state += std::string(state.empty() ? "" : "; ") + "ended early";
    } else if (!entry.file->stopped.empty()) {
        state += std::string(state.empty() ? "" : "; ") + entry.file->stopped;
    }
    return state;
}

int list(std::ostream& out) {
    if (const std::string problem = history_folder_problem(); !problem.empty()) {
        out << "History refused: " << problem << ".\n";
    }
    const std::vector<HistoryEntry> entries = list_history();
    if (entries.empty()) {
        out << "No runs in the history yet (" << history_folder() << ").\n";
        return 0;
    }
    out << std::left << std::setw(34) << "ID" << std::setw(21) << "TIME" << std::setw(9) << "RAN"
        << std::setw(10) << "UNDOABLE" << std::setw(8) << "CANNOT"
        << "STATE\n";
    for (const HistoryEntry& entry : entries) {
        const bool readable = entry.file.has_value();
        out << std::setw(34) << entry.id << std::setw(21) << (readable ? entry.file->header.time : "?")
            << std::setw(9) << (readable ? entry.file->header.what : "?") << std::setw(10) << entry.undoable()
            << std::setw(8) << entry.cannot() << entry_state(entry) << "\n";
        for (const std::string& line : entry.refused) {
            out << "    refused: not something this program changes: " << line << "\n";
        }
    }
    return 0;
}

int plan_undo(const std::optional<std::string>& id, std::ostream& out, std::ostream& err) {
    const UndoTarget target = find_undo_target(id);
    if (!target.entry) {
        err << "tavrine-cli: " << target.error << "\n";
        return target.refused ? kRefused : 1;
    }
    RecordingMachine recorder(current_machine());
    UndoOutcome outcome;
    {
        ScopedThreadMachine scope(recorder);
        outcome = undo_records(*target.entry->file, target.entry->pending());
    }
    const JournalHeader& header = target.entry->file->header;
    out << "# plan to undo " << target.entry->id << " (" << header.what << ", " << header.time
        << "); nothing below has been changed\n";
    for (const std::string& line : recorder.lines()) {
        out << line << "\n";
    }
    out << "# " << undo_summary(outcome) << "\n";
    return 0;
}

int apply_undo_command(const std::optional<std::string>& id, std::ostream& out, std::ostream& err) {
    if (!current_machine().security().is_elevated()) {
        err << "tavrine-cli apply undo changes machine-wide settings and needs administrator rights.\n"
               "Run it from an elevated prompt (Run as administrator).\n";
        return kUsageError;
    }
    UndoRun run;
    {
        // Ctrl+C asks the undo to stop after the record under way; the rest stays to undo.
        const ScopedConsoleInterrupt interrupt(request_worker_stop);
        run = apply_undo(id);
    }
    if (!run.error.empty()) {
        err << "tavrine-cli: " << run.error << "\n";
        return run.refused ? kRefused : 1;
    }
    out << "Undid " << run.undone_id << ": " << undo_summary(run.outcome) << "\n";
    if (run.history_id.empty() && history_enabled()) {
        out << "This undo is not recorded for undo: its history file could not be written\n";
    }
    return run.outcome.stopped ? kCliInterrupted : 0;
}

} // namespace

bool is_history_command(const std::vector<std::string>& args) {
    if (args.empty()) {
        return false;
    }
    return args[0] == "history" ||
           ((args[0] == "plan" || args[0] == "apply") && args.size() >= 2 && args[1] == "undo");
}

int run_history_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args[0] == "history") {
        if (args.size() != 1) {
            err << "usage: tavrine-cli history\n";
            return kUsageError;
        }
        return list(out);
    }
    if (args.size() > 3) {
        err << "usage: tavrine-cli plan|apply undo [ID]\n";
        return kUsageError;
    }
    const std::optional<std::string> id =
        args.size() == 3 ? std::optional<std::string>(args[2]) : std::nullopt;
    return args[0] == "plan" ? plan_undo(id, out, err) : apply_undo_command(id, out, err);
}

} // namespace tavrine
