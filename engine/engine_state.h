#pragma once
// Everything the engine keeps for the program's lifetime, in one record reached through
// engine_state(): a new piece of process-wide engine state is a member here, so the tests'
// reset, which builds the record anew, cannot miss it. The files that use a member reach it
// through their own accessor (run_status(), target_exe(), ...) or, where it is private to one
// file, through engine_state() itself.

#include "engine/history_rows.h"
#include "engine/run_status.h"
#include "engine/snapshot_reader.h"
#include "engine/target_exe.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace tavrine {

class UndoScope;

struct EngineState {
    RunStatus run_status;
    TargetExe target_exe;
    std::atomic<std::int32_t> selected_title{kNoTitle};
    // Set by the front end once it knows where the history goes (history.cpp).
    std::atomic<bool> history_enabled{false};
    // The Settings card's board as last published (history_board.cpp).
    PublishedSnapshot<HistoryBoard> history_board;
    // Where the undo scope is learnt from, and the scope once learnt (undo_scope.cpp). The lock
    // is taken by the first use, which learns it, and by later ones, which read it.
    std::atomic<UndoScope (*)()> undo_scope_source{nullptr};
    std::mutex undo_scope_lock;
    std::shared_ptr<const UndoScope> undo_scope;
};

EngineState& engine_state();

// For tests, and only while no worker runs: the engine state as a fresh start has it.
void reset_engine_state();

} // namespace tavrine
