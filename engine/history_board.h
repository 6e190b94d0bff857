#pragma once
// What the Settings page's History card shows: the newest runs and the last undo's result.
// Read on a background thread and published whole, so a frame only copies a pointer; an undo
// started from the card runs on a worker through the one worker gate.

#include <memory>
#include <string>
#include <vector>

namespace tavrine {

struct HistoryRow {
    std::string id;
    std::string time; // "2026-12-08 10:32:45"
    std::string what; // "latency", "deploy", "undo", ...
    int undoable = 0;
    int cannot = 0;
    // "" for a run no undo has reached; "undone", "partly undone (12 of 17)", "damaged", "not
    // whole", "moved" (from the user's folder: can be viewed, not undone) or "refused" (not the
    // program's own changes)
    std::string state;
    bool can_undo = false; // some of its records are still to be put back
};

struct HistoryBoard {
    std::vector<HistoryRow> rows; // newest first, at most kHistoryBoardRows
    std::string status;           // the last undo's result line; empty before one
    std::string problem;          // why the history folder is not used; empty while it is
};

inline constexpr std::size_t kHistoryBoardRows = 5;

// Asks for the history to be read again. Returns at once; a request made while a read runs is
// taken up when it ends.
void request_history_board();

// The last published board; never null.
std::shared_ptr<const HistoryBoard> history_board();

// Undoes `id` on a worker admitted through the worker gate; false when the gate is taken or no
// thread starts. The board's status says "Undoing …" at once and the result when it ends,
// with the rows read again.
bool start_history_undo(const std::string& id);

// True while the background reader runs; for tests and clean shut-downs.
bool history_board_worker_active();

} // namespace tavrine
