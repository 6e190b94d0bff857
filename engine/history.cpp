#include "engine/history.h"

#include "engine/run_status.h"
#include "engine/undo_scope.h"
#include "platform/files.h"
#include "platform/journal/journaling_machine.h"
#include "platform/machine.h"
#include "platform/read_back.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <utility>

namespace tavrine {

namespace {

std::atomic<bool> g_history_enabled{false};
// Per thread: a census runs routines that would otherwise start a history of their own.
thread_local bool t_history_paused = false;

// Larger than any run writes (a full "All" run is a few hundred lines); beyond it a file is
// not ours.
constexpr std::size_t kMaxHistoryBytes = 8u << 20;
constexpr std::string_view kExtension = ".txt";

constexpr std::string_view kNotRecorded = "This run is not recorded for undo: ";

// A daylight-saving change sets local time back an hour: names up to this far ahead of the
// clock are still the program's own.
constexpr std::chrono::hours kClockSlack{2};

struct Stamp {
    std::string file;  // "20261208-103245"
    std::string shown; // "2026-12-08 10:32:45"
};

Stamp stamp_at(std::chrono::system_clock::time_point clock) {
    const std::time_t now = std::chrono::system_clock::to_time_t(clock);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char file[32];
    char shown[32];
    std::strftime(file, sizeof file, "%Y%m%d-%H%M%S", &local);
    std::strftime(shown, sizeof shown, "%Y-%m-%d %H:%M:%S", &local);
    return {file, shown};
}

Stamp now_stamp() {
    const auto clock = std::chrono::system_clock::now();
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock.time_since_epoch()).count() % 1000;
    Stamp stamp = stamp_at(clock);
    // Milliseconds, fixed width: runs within one second still sort by time, not by name.
    char tail[8];
    std::snprintf(tail, sizeof tail, "-%03d", static_cast<int>(millis));
    stamp.file += tail;
    return stamp;
}

std::string_view parent_of(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
}

bool all_digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool ends_with_extension(std::string_view name) {
    if (name.size() <= kExtension.size()) {
        return false;
    }
    std::string tail(name.substr(name.size() - kExtension.size()));
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == kExtension;
}

// Checks what the line parser cannot see alone: a system parameter must be one whose value
// can be read back, or the undo could never tell what it would change.
std::string check_record(const JournalRecord& record) {
    if (const auto* spi = std::get_if<SpiRecord>(&record)) {
        if (!spi_read_back(spi->action, spi->param, spi->argument)) {
            return "a system parameter line names a setting that cannot be read back, or a record that does "
                   "not fit it";
        }
    }
    return {};
}

} // namespace

void set_history_enabled(bool enabled) {
    g_history_enabled.store(enabled);
}

bool history_enabled() {
    return g_history_enabled.load();
}

HistoryPaused::HistoryPaused() : previous_(std::exchange(t_history_paused, true)) {}

HistoryPaused::~HistoryPaused() {
    t_history_paused = previous_;
}

std::string history_folder() {
    // From the system, never from the environment a user's program could have set.
    const std::optional<std::string> program_data =
        current_machine().files().known_folder(KnownFolder::ProgramData);
    return program_data ? *program_data + "\\Tavrine\\history" : std::string();
}

std::string legacy_history_folder() {
    const std::optional<std::string> roaming = current_machine().files().roaming_folder();
    return roaming ? *roaming + "\\Tavrine\\history" : std::string();
}

std::string history_folder_problem() {
    Files& files = current_machine().files();
    const std::string folder = history_folder();
    // Both levels: whoever may write the parent may rename the history folder away.
    for (const std::string_view level : {parent_of(folder), std::string_view(folder)}) {
        if (files.attributes(level) && !files.is_admin_only_folder(level)) {
            return std::string(level) +
                   " can be written by accounts that are not administrators (or is a link), so history there "
                   "is neither read nor written";
        }
    }
    return {};
}

// [SECTION] One run's history --------------------------------------------------------------------

HistoryRun::HistoryRun(std::string_view what, std::string_view undoes) {
    if (!history_enabled() || t_history_paused) {
        return;
    }
    Machine& machine = current_machine();
    Files& files = machine.files();
    const std::string folder = history_folder();
    // Made with the protected access list when missing; an existing one is only checked, never
    // repaired: what another account could write there is not to be trusted.
    bool made = true;
    for (const std::string_view level : {parent_of(folder), std::string_view(folder)}) {
        made = made && (files.attributes(level) || files.create_admin_only_folder(level));
    }
    const std::string problem = made ? history_folder_problem() : "its history folder could not be made";
    if (!problem.empty()) {
        run_status().status_message.set(std::string(kNotRecorded) + problem);
        return;
    }
    const Stamp stamp = now_stamp();
    const std::string base = stamp.file + "-" + std::string(what);
    std::string path;
    // Two runs within one second get their own files.
    for (int n = 1; n < 100 && path.empty(); ++n) {
        const std::string id = n == 1 ? base : base + "-" + std::to_string(n);
        const std::string candidate = folder + "\\" + id + std::string(kExtension);
        if (!files.attributes(candidate)) {
            id_ = id;
            path = candidate;
        }
    }
    const JournalHeader header{stamp.shown, std::string(what), std::string(undoes), id_};
    if (path.empty() || !files.append_file(path, format_header(header) + "\r\n")) {
        id_.clear();
        run_status().status_message.set(std::string(kNotRecorded) + "its history file could not be written");
        return;
    }
    journal_ = std::make_unique<JournalingMachine>(machine, path);
    scope_ = std::make_unique<ScopedThreadMachine>(*journal_);
}

bool HistoryRun::finish() {
    return finish_with({});
}

bool HistoryRun::finish_stopped(int completed_steps, int total_steps) {
    return finish_with(stopped_note(completed_steps, total_steps));
}

bool HistoryRun::finish_with(std::string_view stopped) {
    if (!journal_ || finished_) {
        return !journal_ || journal_->intact();
    }
    finished_ = true;
    scope_.reset();
    journal_->finish(stopped);
    if (!journal_->intact()) {
        run_status().status_message.set(std::string(kNotRecorded) + "its history file could not be written");
        return false;
    }
    return true;
}

void HistoryRun::record_outcome(const RecordOutcome& outcome) {
    if (journal_ && !finished_) {
        journal_->record_outcome(outcome);
    }
}

HistoryRun::~HistoryRun() {
    finish();
}

// [SECTION] Reading history back ---------------------------------------------------------------

HistoryParse parse_history(std::string_view text) {
    if (text.size() > kMaxHistoryBytes) {
        return {std::nullopt, "the file is larger than any history the program writes"};
    }
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            break; // cut short while it was written: its change was never made
        }
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        text.remove_prefix(end + 1);
    }
    if (lines.empty()) {
        return {std::nullopt, "line 1: the file is empty"};
    }
    HistoryFile file;
    const std::optional<JournalHeader> header = parse_header(lines[0]);
    if (!header) {
        return {std::nullopt, "line 1: not a history header"};
    }
    file.header = *header;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string where = "line " + std::to_string(i + 1) + ": ";
        if (file.ended || file.incomplete) {
            return {std::nullopt, where + "a line after the end of the run"};
        }
        if (lines[i] == kJournalEnd) {
            file.ended = true;
            continue;
        }
        if (const std::optional<std::string> stopped = parse_stopped_end(lines[i])) {
            file.ended = true;
            file.stopped = *stopped;
            continue;
        }
        if (lines[i] == kJournalIncomplete) {
            file.incomplete = true;
            continue;
        }
        if (const std::optional<RecordOutcome> outcome = parse_outcome(lines[i])) {
            // Only an undo's entry speaks of another run's records, each once, newest first
            // (the order an undo goes in).
            if (file.header.undoes.empty()) {
                return {std::nullopt, where + "an undo's line in an entry that undoes nothing"};
            }
            if (!file.outcomes.empty() && outcome->record >= file.outcomes.back().record) {
                return {std::nullopt, where + "an undo's lines out of order"};
            }
            file.outcomes.push_back(*outcome);
            continue;
        }
        RecordParse parsed = parse_record(lines[i]);
        if (!parsed.record) {
            return {std::nullopt, where + parsed.error};
        }
        if (const std::string problem = check_record(*parsed.record); !problem.empty()) {
            return {std::nullopt, where + problem};
        }
        file.records.push_back(std::move(*parsed.record));
    }
    return {std::move(file), {}};
}

int HistoryEntry::undoable() const {
    if (!file) {
        return 0;
    }
    return static_cast<int>(
        std::count_if(file->records.begin(), file->records.end(),
                      [](const JournalRecord& r) { return !std::holds_alternative<CannotRecord>(r); }));
}

int HistoryEntry::cannot() const {
    return file ? static_cast<int>(file->records.size()) - undoable() : 0;
}

int HistoryEntry::restored() const {
    int count = 0;
    for (std::size_t i = 0; file && i < fates.size() && i < file->records.size(); ++i) {
        count += fates[i] == RecordFate::Restored && !std::holds_alternative<CannotRecord>(file->records[i]);
    }
    return count;
}

bool HistoryEntry::undo_finished() const {
    return !undone_by.empty() &&
           std::all_of(fates.begin(), fates.end(), [](const auto& fate) { return fate.has_value(); });
}

std::vector<std::size_t> HistoryEntry::pending() const {
    std::vector<std::size_t> records;
    for (std::size_t i = 0; file && i < file->records.size(); ++i) {
        const std::optional<RecordFate> fate = i < fates.size() ? fates[i] : std::nullopt;
        if (fate != RecordFate::Restored && fate != RecordFate::Cannot) {
            records.push_back(i);
        }
    }
    return records;
}

std::string HistoryEntry::undo_state() const {
    if (undone_by.empty()) {
        return {};
    }
    if (undo_finished() && restored() == undoable()) {
        return "undone";
    }
    return "partly undone (" + std::to_string(restored()) + " of " + std::to_string(undoable()) + ")";
}

std::string check_entry_name(std::string_view id, const JournalHeader& header, std::string_view now_stamp) {
    // "YYYYMMDD-HHMMSS-mmm-" + what, then "-N" for a second run within the same millisecond.
    constexpr std::size_t kStamp = 15;
    constexpr std::size_t kPrefix = 20;
    const bool stamped = id.size() > kPrefix && all_digits(id.substr(0, 8)) && id[8] == '-' &&
                         all_digits(id.substr(9, 6)) && id[15] == '-' && all_digits(id.substr(16, 3)) &&
                         id[19] == '-';
    if (!stamped) {
        return "its name does not start with the time of the run";
    }
    const std::string_view rest = id.substr(kPrefix);
    const bool what_matches =
        rest == header.what ||
        (rest.size() > header.what.size() + 1 && rest.substr(0, header.what.size()) == header.what &&
         rest[header.what.size()] == '-' && all_digits(rest.substr(header.what.size() + 1)));
    const std::string shown = std::string(id.substr(0, 4)) + "-" + std::string(id.substr(4, 2)) + "-" +
                              std::string(id.substr(6, 2)) + " " + std::string(id.substr(9, 2)) + ":" +
                              std::string(id.substr(11, 2)) + ":" + std::string(id.substr(13, 2));
    if (!what_matches || shown != header.time || (!header.id.empty() && header.id != id)) {
        return "its name disagrees with its header";
    }
    if (id.substr(0, kStamp) > now_stamp) {
        return "its name is dated in the future";
    }
    return {};
}

namespace {

void read_entries(Files& files, const std::string& folder, bool moved, std::vector<HistoryEntry>& entries) {
    const auto listing = folder.empty() ? std::nullopt : files.list_folder(folder);
    if (!listing) {
        return;
    }
    const std::string latest = stamp_at(std::chrono::system_clock::now() + kClockSlack).file;
    for (const FolderEntry& item : *listing) {
        if ((item.attributes & kFileAttributeDirectory) != 0 || !ends_with_extension(item.name)) {
            continue;
        }
        HistoryEntry entry;
        entry.id = item.name.substr(0, item.name.size() - kExtension.size());
        entry.path = folder + "\\" + item.name;
        entry.moved = moved;
        const std::optional<std::uint64_t> size = files.file_size(entry.path);
        const std::optional<std::string> text =
            size && *size <= kMaxHistoryBytes ? files.read_file(entry.path) : std::nullopt;
        if (!text) {
            entry.error = size && *size > kMaxHistoryBytes
                              ? "the file is larger than any history the program writes"
                              : "the file cannot be read";
        } else {
            HistoryParse parsed = parse_history(*text);
            if (parsed.file) {
                parsed.file->copies_folder = copies_folder_of(entry.path);
                if (std::string problem = check_entry_name(entry.id, parsed.file->header, latest);
                    !problem.empty()) {
                    parsed = {std::nullopt, std::move(problem)};
                    entry.forged = true;
                }
            }
            entry.file = std::move(parsed.file);
            entry.error = std::move(parsed.error);
        }
        entries.push_back(std::move(entry));
    }
}

// What each record of each run became: newest first, so an undo's own records are settled
// before it is judged. An undo stands unless a later undo restored any of its records (its
// run's records are then offered again; putting back what is already back changes nothing).
// Where two undos that stand reached the same record, the later one's word holds. Only the
// protected folder's entries count: a file in the user's folder undoes nothing.
void settle_undos(std::vector<HistoryEntry>& entries) {
    std::map<std::string, HistoryEntry*> by_id;
    for (HistoryEntry& entry : entries) {
        if (!entry.moved) {
            entry.fates.assign(entry.file ? entry.file->records.size() : 0, std::nullopt);
            by_id.emplace(entry.id, &entry);
        }
    }
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->moved || !it->file || it->file->header.undoes.empty() || it->restored() > 0) {
            continue;
        }
        const auto target = by_id.find(it->file->header.undoes);
        if (target == by_id.end() || target->second->id >= it->id) { // an undo follows its run
            continue;
        }
        HistoryEntry& run = *target->second;
        bool reached = false;
        for (const RecordOutcome& outcome : it->file->outcomes) {
            const std::size_t index = outcome.record - 1;
            if (index < run.fates.size() && !run.fates[index]) {
                run.fates[index] = outcome.fate;
                reached = true;
            }
        }
        // An undo written before these lines, which ended: it took back the whole run.
        if (it->file->outcomes.empty() && it->file->ended && it->file->stopped.empty()) {
            for (std::optional<RecordFate>& fate : run.fates) {
                fate = fate.value_or(RecordFate::Restored);
            }
            reached = true;
        }
        if (reached && run.undone_by.empty()) {
            run.undone_by = it->id;
        }
    }
}

} // namespace

std::vector<HistoryEntry> list_history() {
    std::vector<HistoryEntry> entries;
    Files& files = current_machine().files();
    if (history_folder_problem().empty()) {
        read_entries(files, history_folder(), false, entries);
    }
    read_entries(files, legacy_history_folder(), true, entries);
    // The time leads every name, so name order is time order.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const HistoryEntry& a, const HistoryEntry& b) { return a.id < b.id; });
    // Learnt only when there is something to judge: the census runs every routine once.
    std::shared_ptr<const UndoScope> scope;
    for (HistoryEntry& entry : entries) {
        if (!entry.moved && entry.file && !entry.file->records.empty()) {
            scope = scope ? scope : undo_scope();
            entry.refused = lines_outside(*scope, entry.file->records);
        }
    }
    settle_undos(entries);
    return entries;
}

} // namespace tavrine
