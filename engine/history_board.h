#pragma once
// What the Settings page's History card shows: the newest runs and the last undo's result.
// Read on a background thread and published whole, so a frame only copies a pointer; an undo
// started from the card runs on a worker through the one worker gate.

#include "engine/history_rows.h"

#include <memory>
#include <string>

namespace tavrine {

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
