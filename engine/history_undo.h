#pragma once
// Undo: a run's history replayed backwards through the current machine. Each line is put back
// only while the machine still holds what the run left; a value somebody changed since is left
// as they set it. Installed over a recorder, the same code is the preview of an undo.

#include "engine/history.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavrine {

struct UndoOutcome {
    int restored = 0;      // put back, or already as they were before the run
    int changed_since = 0; // changed by somebody else since the run (or unreadable): left alone
    int cannot = 0;        // changes the run could not record for undo
    int failed = 0;        // a put-back the system refused
    int reached = 0;       // records done, of `offered`
    int offered = 0;
    bool stopped = false; // a quit stopped it between two records
};

// Replays the records of `file` numbered in `records` (0-based, in file order) backwards
// through current_machine(), telling `done` each record's outcome once it is known. With
// `stoppable`, a requested worker stop ends it between two records.
UndoOutcome undo_records(const HistoryFile& file, const std::vector<std::size_t>& records,
                         const std::function<void(const RecordOutcome&)>& done = {}, bool stoppable = false);

// "12 changes restored · 2 changed since, left alone · 5 cannot be undone", after "Stopped
// after 4 of 17 records: " for a stopped undo.
std::string undo_summary(const UndoOutcome& outcome);

// The entry an undo takes back: the one named by `id`, else the newest run of the history
// folder that is not an undo and that no undo has gone all the way through. Refuses (with
// `error`) a damaged, incomplete or already undone entry (nothing left pending), and (with `refused` set too)
// one the program cannot vouch for: an entry moved from the user's folder, one with any line outside what the
// program changes (the whole entry: its other lines may be forged as well), one whose name is dated ahead or
// disagrees with its header, or any while the history folder can be written by others.
struct UndoTarget {
    std::optional<HistoryEntry> entry;
    std::string error;
    bool refused = false;
};
UndoTarget find_undo_target(const std::optional<std::string>& id);

// The whole undo as a run of its own, with its own history entry (so it can be undone too),
// of the target's pending records. A quit stops it between two records; its entry then ends
// "stopped after step N of M" and the records it did not reach stay pending.
struct UndoRun {
    std::string error;    // nothing was changed when set
    bool refused = false; // the error is a refusal of an entry the program cannot vouch for
    std::string undone_id;
    std::string history_id; // the undo's own history entry; empty when not recorded
    UndoOutcome outcome;
};
UndoRun apply_undo(const std::optional<std::string>& id);
// The same, for a caller that already holds the worker gate (the window's undo worker).
UndoRun apply_undo_admitted(const std::optional<std::string>& id);

} // namespace tavrine
