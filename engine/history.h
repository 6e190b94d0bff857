#pragma once
// The run history: one plain-text file per run in %ProgramData%\Tavrine\history, a folder only
// administrators may write, written ahead of every change by the journaling backend, and read
// back (as untrusted input) to list past runs and to undo one. Before every use the folder's
// owner and access list are checked: history another account can write is neither read nor
// written. Entries left in the per-user folder history used to live in are listed, never
// undone.

#include "platform/journal/journal_record.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine {

class JournalingMachine;
class ScopedThreadMachine;

// Real runs keep a history: the window and tavrine-cli switch it on at start-up. Off by
// default, so tests on the fake see only what they ask for.
void set_history_enabled(bool enabled);
bool history_enabled();

// %ProgramData%\Tavrine\history; empty when ProgramData is not known.
std::string history_folder();
// Where history was kept before: roaming\Tavrine\history (any program of the user can write it).
std::string legacy_history_folder();
// Why the history folder must not be used, or empty when it may (or does not exist yet).
std::string history_folder_problem();

// Runs on the calling thread keep no history while one lives: the census of what routines
// change runs them through a journal of its own.
class HistoryPaused {
public:
    HistoryPaused();
    ~HistoryPaused();
    HistoryPaused(const HistoryPaused&) = delete;
    HistoryPaused& operator=(const HistoryPaused&) = delete;

private:
    bool previous_;
};

// One run's history for as long as it lives: creates the file with its header, puts the
// journaling backend in front of the current machine for the calling thread, and closes the
// file when it goes. When the file cannot be written the run goes on unrecorded and
// `status_message` says so.
class HistoryRun {
public:
    explicit HistoryRun(std::string_view what, std::string_view undoes = {});
    ~HistoryRun();
    HistoryRun(const HistoryRun&) = delete;
    HistoryRun& operator=(const HistoryRun&) = delete;

    bool recording() const { return journal_ != nullptr; }
    const std::string& id() const { return id_; }
    // True when every line reached the disk; closes the file first.
    bool finish();
    // The same for a run stopped at a step boundary: its end says "stopped after step N of M".
    bool finish_stopped(int completed_steps, int total_steps);
    // An undo's word on one record of the run it takes back (nothing while not recording).
    void record_outcome(const RecordOutcome& outcome);

private:
    bool finish_with(std::string_view stopped);
    std::string id_;
    std::unique_ptr<JournalingMachine> journal_;
    std::unique_ptr<ScopedThreadMachine> scope_;
    bool finished_ = false;
};

// A history file read back whole.
struct HistoryFile {
    JournalHeader header;
    std::vector<JournalRecord> records;
    bool ended = false;        // the run closed its history ("END")
    std::string stopped;       // "stopped after step 3 of 12" for a run stopped by a quit
    bool incomplete = false;   // a line could not be written: the record is not whole
    std::string copies_folder; // the previous bytes of the files the run wrote
    // An undo's word on each record of its run it reached, newest record first. An undo from
    // before these lines has none: when it ended (not stopped) it took back the whole run.
    std::vector<RecordOutcome> outcomes;
};
struct HistoryParse {
    std::optional<HistoryFile> file;
    std::string error; // "line 4: unknown kind of line"
};
// Strict: any line that is not one of the known kinds, with data of the right shape, makes the
// whole file unusable. A last line cut short (a crash during its write) is dropped: its change
// was never made.
HistoryParse parse_history(std::string_view text);

struct HistoryEntry {
    std::string id; // the file name without ".txt", which its header repeats
    std::string path;
    std::optional<HistoryFile> file; // nullopt when damaged
    std::string error;               // why it is damaged
    std::string undone_by;           // the newest undo that reached any of its records
    // Per record, what the undos that still stand made of it; nullopt where none reached it.
    std::vector<std::optional<RecordFate>> fates;
    bool moved = false;  // from the per-user folder: can be viewed, not undone
    bool forged = false; // its name is dated ahead or disagrees with its header
    // Its lines outside what the program changes (undo_scope.h), as written: the entry is
    // refused whole while there is one.
    std::vector<std::string> refused;
    int undoable() const;
    int cannot() const;
    // The undoable records put back by undos that still stand.
    int restored() const;
    // Every record reached by an undo that still stands: the default undo passes it by.
    bool undo_finished() const;
    // The records (0-based, in file order) a later undo offers: those not yet restored, less
    // the ones an undo already found cannot be undone.
    std::vector<std::size_t> pending() const;
    // "", "undone", or "partly undone (12 of 17)".
    std::string undo_state() const;
};
// Oldest first: the history folder's entries (none while history_folder_problem() is set),
// and the per-user folder's, marked moved. An undo stands unless a later undo restored any
// of its own records; what the undos that stand made of each record is in `fates`. A file whose name is dated
// ahead of the clock or disagrees with its header (time, what ran, id) is refused whole, as damaged.
std::vector<HistoryEntry> list_history();

// Whether an entry's name fits its header; the reason when it does not. `now_stamp` is the
// clock's "YYYYMMDD-HHMMSS" (local time).
std::string check_entry_name(std::string_view id, const JournalHeader& header, std::string_view now_stamp);

} // namespace tavrine
