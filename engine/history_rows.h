#pragma once
// The History card's board as a value: what one published read of the history holds.

#include <cstddef>
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

} // namespace tavrine
