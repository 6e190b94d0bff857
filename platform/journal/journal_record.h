#pragma once
// One line of a run's history: the state to put back for one change, and the state the run
// left (so an undo can tell whether somebody changed it since). Lines read like the plan:
//
//   SET DWORD <tab> HKLM\...\PriorityControl <tab> Win32PrioritySeparation <tab> 38 <tab> left DWORD 2
//   SET SZ    <tab> HKCU\Control Panel\Mouse <tab> MouseSpeed <tab> 1 <tab> left SZ 0
//   SET TYPE  <tab> key <tab> name <tab> 3:0a0b <tab> left ABSENT
//   DELETE    <tab> key <tab> name <tab> left DWORD 1
//   KEY CREATED <tab> HKCU\Control Panel\Accessibility\StickyKeys
//   KEY DELETED <tab> HKCU\...   (an empty key an undo deleted)
//   SERVICE   <tab> SysMain <tab> automatic+running <tab> left disabled+stopped
//   SPI       <tab> 0x71 <tab> param 0 pv 1 flags 3 <tab> left {10}
//   POWER SCHEME <tab> 381b4222-... <tab> left 8c5e7fda-...
//   POWER INDEX  <tab> scheme <tab> sub group <tab> setting <tab> AC <tab> 5 <tab> left 100
//   QOS       <tab> TavrineQoS                  (the policy the run created: removed)
//   FILE      <tab> C:\...\Engine.ini <tab> 1.bin <tab> left 2048:0123456789abcdef
//   TASK      <tab> TavrineOptimiser <tab> absent <tab> left present
//   CANNOT    <tab> RUN bcdedit /set disabledynamictick yes
//   UNDID     <tab> 17 <tab> restored        (an undo's own entry: what became of record 17 of
//                                              the run it takes back, written once it is known)
//
// Fields are separated by tabs; texts escape '%', tabs, line breaks and other control bytes
// as %XX, so no field can break a line. History files are read back as untrusted input: the
// parser accepts exactly these shapes and nothing else.

#include "platform/machine.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tavrine {

// A registry value as it stood, or its absence.
struct ValueState {
    bool present = false;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const ValueState&) const = default;
};

struct RegistryRecord {
    Hive hive = Hive::LocalMachine;
    std::string sub_key;
    std::string name;
    ValueState put_back;
    ValueState left;
};

// A registry key that did not exist before the change (created: an undo deletes it while it is
// still empty), or an empty key the change deleted (an undo creates it again).
struct KeyRecord {
    Hive hive = Hive::LocalMachine;
    std::string sub_key;
    bool created = true;
};

struct ServiceSnapshot {
    std::uint32_t start_type = 0;
    bool running = false;
    bool operator==(const ServiceSnapshot&) const = default;
};

struct ServiceRecord {
    std::string name;
    ServiceSnapshot put_back;
    ServiceSnapshot left;
};

// The set call that puts a system parameter back, and what its get call read after the run.
struct SpiRecord {
    std::uint32_t action = 0;
    std::uint32_t param = 0;
    SpiArgument argument;
    std::uint32_t flags = 0;
    std::vector<std::uint32_t> left;
};

struct PowerSchemeRecord {
    std::string put_back; // the scheme that was active
    std::string left;
};

struct PowerIndexRecord {
    PowerSetting setting; // its scheme resolved: never SCHEME_CURRENT
    std::uint32_t put_back = 0;
    std::uint32_t left = 0;
};

// The QoS policy a run created; putting it back is removing it. Only the program's own name.
struct QosRecord {
    std::string policy;
};
inline constexpr std::string_view kQosPolicyName = "TavrineQoS";

// A file the run wrote whole. Its previous bytes are kept beside the history entry, in the
// entry's copies folder under `copy` ("1.bin"); an empty `copy` means the file did not exist.
struct FileRecord {
    std::string path;
    std::string copy;
    std::uint64_t left_size = 0; // what the run wrote, to tell a later change by somebody else
    std::uint64_t left_hash = 0;
};
// FNV-1a, 64 bits: enough to tell whether a file still holds what the run wrote.
std::uint64_t content_hash(std::string_view bytes);

// The program's logon task, present or absent before and after the run.
inline constexpr std::string_view kLogonTaskName = "TavrineOptimiser";
struct TaskRecord {
    std::string name;
    bool put_back_present = false;
    bool left_present = false;
};

// A change whose previous state cannot be read or put back, in the plan's words.
struct CannotRecord {
    std::string text;
};

using JournalRecord = std::variant<RegistryRecord, KeyRecord, ServiceRecord, SpiRecord, PowerSchemeRecord,
                                   PowerIndexRecord, QosRecord, FileRecord, TaskRecord, CannotRecord>;

std::string format_record(const JournalRecord& record);

// A registry value seen where it lies, without a copy: the journal formats the line of nearly
// every change straight from the call it is about to pass on.
struct ValueView {
    bool present = false;
    std::uint32_t type = 0;
    std::span<const std::uint8_t> data;
};
// Appends the line of a registry change to `out`, the same text format_record gives.
void append_registry_line(std::string& out, Hive hive, std::string_view sub_key, std::string_view name,
                          ValueView put_back, ValueView left);

struct RecordParse {
    std::optional<JournalRecord> record;
    std::string error; // why the line was refused
};
RecordParse parse_record(std::string_view line);

// What an undo made of one record of the run it takes back. Written to the undo's own entry
// as each record is done, so an undo cut short still says which records it reached.
enum class RecordFate : std::uint8_t {
    Restored,     // put back, or already as it was before the run
    ChangedSince, // somebody changed it since the run (or it could not be read): left alone
    Cannot,       // the run could not record it for undo
    Refused,      // the system refused the put-back
};
struct RecordOutcome {
    std::uint32_t record = 0; // 1-based, in the order of the run's records
    RecordFate fate = RecordFate::Restored;
};
// "UNDID<TAB>17<TAB>restored"; nullopt for any other line, or one out of shape.
std::string format_outcome(const RecordOutcome& outcome);
std::optional<RecordOutcome> parse_outcome(std::string_view line);

// The first line of every history file.
struct JournalHeader {
    std::string time;   // "2026-12-08 10:32:45", local time
    std::string what;   // what ran: "latency", "all", "undo", ...
    std::string undoes; // the id of the entry an undo took back; empty otherwise
    std::string id;     // the entry's id, its file name without ".txt"; empty in older files
};
std::string format_header(const JournalHeader& header);
std::optional<JournalHeader> parse_header(std::string_view line);

// The last line of a run that ended, and the line that says lines are missing.
inline constexpr std::string_view kJournalEnd = "END";
inline constexpr std::string_view kJournalIncomplete = "INCOMPLETE";

// "stopped after step 3 of 12": what the end line of a run stopped between two steps adds.
std::string stopped_note(int completed_steps, int total_steps);
// The note of an "END<TAB>stopped after step N of M" line; nullopt for any other line.
std::optional<std::string> parse_stopped_end(std::string_view line);

// Where the previous bytes of the files a run wrote are kept: "<entry>.files" beside
// "<entry>.txt".
std::string copies_folder_of(std::string_view history_path);

// The percent escaping of text fields.
std::string escape_field(std::string_view text);
std::optional<std::string> unescape_field(std::string_view text);

} // namespace tavrine
