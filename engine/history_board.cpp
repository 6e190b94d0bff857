#include "engine/history_board.h"

#include "engine/history.h"
#include "engine/history_undo.h"
#include "engine/worker_gate.h"

#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

namespace tavrine {

namespace {

// The published board: swapped whole under this lock, never changed once published.
std::mutex g_board_lock;
std::shared_ptr<const HistoryBoard> g_board = std::make_shared<const HistoryBoard>();

std::atomic<bool> g_pending{false};
std::atomic<bool> g_reader_active{false};

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
    std::lock_guard<std::mutex> lock(g_board_lock);
    auto next = std::make_shared<HistoryBoard>(*g_board);
    if (rows != nullptr) {
        next->rows = *rows;
    }
    if (problem != nullptr) {
        next->problem = *problem;
    }
    if (status != nullptr) {
        next->status = *status;
    }
    g_board = std::move(next);
}

void read_requests() {
    for (;;) {
        if (g_pending.exchange(false)) {
            std::string problem;
            const std::vector<HistoryRow> rows = read_rows(problem);
            publish(&rows, nullptr, &problem);
            continue;
        }
        g_reader_active.store(false);
        // A request made after the exchange above found this thread still running: take it
        // up again unless a new thread already did.
        bool idle = false;
        if (!g_pending.load() || !g_reader_active.compare_exchange_strong(idle, true)) {
            return;
        }
    }
}

} // namespace

void request_history_board() {
    g_pending.store(true);
    bool idle = false;
    if (!g_reader_active.compare_exchange_strong(idle, true)) {
        return; // the running reader takes it up
    }
    try {
        std::thread(read_requests).detach();
    } catch (const std::system_error&) {
        g_reader_active.store(false); // no thread: the card keeps the rows it has
    }
}

std::shared_ptr<const HistoryBoard> history_board() {
    std::lock_guard<std::mutex> lock(g_board_lock);
    return g_board;
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
    return g_reader_active.load();
}

} // namespace tavrine
