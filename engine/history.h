#pragma once
// The run history: one plain-text file per run in the settings folder's "history" folder,
// written ahead of every change by the journaling backend, and read back (as untrusted input)
// to list past runs and to undo one.

#include "platform/journal_record.h"

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

// roaming\Tavrine\history, else temp\TavrineHistory; empty when neither folder is known.
std::string history_folder();

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
    std::string id; // the file name without ".txt"
    std::string path;
    std::optional<HistoryFile> file; // nullopt when damaged
    std::string error;               // why it is damaged
    std::string undone_by;           // the id of the undo that took it back
    int undoable() const;
    int cannot() const;
};
// Oldest first.
std::vector<HistoryEntry> list_history();

} // namespace tavrine
