#include "engine/history_board.h"

#include "engine/engine_state.h"
#include "engine/history.h"
#include "engine/history_undo.h"
#include "engine/snapshot_reader.h"
#include "engine/worker_gate.h"

namespace tavrine {

namespace {

PublishedSnapshot<HistoryBoard>& published() {
    return engine_state().history_board;
}

std::vector<HistoryRow> read_rows(std::string& problem) {
    problem = history_folder_problem();
    const std::vector<HistoryEntry> entries = list_history();
    std::vector<HistoryRow> rows;
    for (auto it = entries.rbegin(); it != entries.rend() && rows.size() < kHistoryBoardRows; ++it) {
        HistoryRow row;
        row.id = it->id;
        if (it->file) {
            row.time = it->file->header.time;
            row.what = it->file->header.what;
            row.undoable = it->undoable();
            row.cannot = it->cannot();
        }
        row.state = it->moved              ? "moved"
                    : it->forged           ? "refused"
                    : !it->file            ? "damaged"
                    : !it->refused.empty() ? "refused"
                    : it->file->incomplete ? "not whole"
                                           : it->undo_state();
        const bool usable =
            !it->moved && !it->forged && it->file && it->refused.empty() && !it->file->incomplete;
        row.can_undo = usable && (it->undone_by.empty() || !it->pending().empty());
        rows.push_back(std::move(row));
    }
    return rows;
}

// Either part may be left as it is; a change is published as one new board.
void publish(const std::vector<HistoryRow>* rows, const std::string* status,
             const std::string* problem = nullptr) {
    published().change([&](HistoryBoard& next) {
        if (rows != nullptr) {
            next.rows = *rows;
        }
        if (problem != nullptr) {
            next.problem = *problem;
        }
        if (status != nullptr) {
            next.status = *status;
        }
    });
}

void read_board(int /*request*/) {
    std::string problem;
    const std::vector<HistoryRow> rows = read_rows(problem);
    publish(&rows, nullptr, &problem);
}

LatestRequestThread& reader() {
    static LatestRequestThread thread(read_board);
    return thread;
}

} // namespace

void request_history_board() {
    reader().request(0);
}

std::shared_ptr<const HistoryBoard> history_board() {
    return published().get();
}

bool start_history_undo(const std::string& id) {
    WorkerTicket ticket = admit_worker(WorkerKind::Pipeline);
    if (!ticket) {
        return false;
    }
    const std::string undoing = "Undoing " + id + "\xE2\x80\xA6";
    publish(nullptr, &undoing);
    const bool started = start_worker(std::move(ticket), [id] {
        const UndoRun run = apply_undo_admitted(id);
        std::string problem;
        const std::vector<HistoryRow> rows = read_rows(problem);
        const std::string status = run.error.empty() ? undo_summary(run.outcome) : "Not undone: " + run.error;
        publish(&rows, &status, &problem);
    });
    if (!started) {
        const std::string none;
        publish(nullptr, &none);
    }
    return started;
}

bool history_board_worker_active() {
    return reader().active();
}

} // namespace tavrine
