#pragma once
// One line of a run's history: the state to put back for one change, and the state the run
// left (so an undo can tell whether somebody changed it since). Lines read like the plan:
//
//   SET DWORD <tab> HKLM\...\PriorityControl <tab> Win32PrioritySeparation <tab> 38 <tab> left DWORD 2
//   SET SZ    <tab> HKCU\Control Panel\Mouse <tab> MouseSpeed <tab> 1 <tab> left SZ 0
//   SET TYPE  <tab> key <tab> name <tab> 3:0a0b <tab> left ABSENT
//   DELETE    <tab> key <tab> name <tab> left DWORD 1
//   SERVICE   <tab> SysMain <tab> automatic+running <tab> left disabled+stopped
//   SPI       <tab> 0x71 <tab> param 0 pv 1 flags 3 <tab> left {10}
//   CANNOT    <tab> RUN bcdedit /set disabledynamictick yes
//
// Fields are separated by tabs; texts escape '%', tabs, line breaks and other control bytes
// as %XX, so no field can break a line. History files are read back as untrusted input: the
// parser accepts exactly these shapes and nothing else.

#include "platform/machine.h"

#include <cstdint>
#include <optional>
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

// A change whose previous state cannot be read or put back, in the plan's words.
struct CannotRecord {
    std::string text;
};

using JournalRecord = std::variant<RegistryRecord, ServiceRecord, SpiRecord, CannotRecord>;

std::string format_record(const JournalRecord& record);

struct RecordParse {
    std::optional<JournalRecord> record;
    std::string error; // why the line was refused
};
RecordParse parse_record(std::string_view line);

// The first line of every history file.
struct JournalHeader {
    std::string time;   // "2026-12-08 10:32:45", local time
    std::string what;   // what ran: "latency", "all", "undo", ...
    std::string undoes; // the id of the entry an undo took back; empty otherwise
};
std::string format_header(const JournalHeader& header);
std::optional<JournalHeader> parse_header(std::string_view line);

// The last line of a run that ended, and the line that says lines are missing.
inline constexpr std::string_view kJournalEnd = "END";
inline constexpr std::string_view kJournalIncomplete = "INCOMPLETE";

// The percent escaping of text fields.
std::string escape_field(std::string_view text);
std::optional<std::string> unescape_field(std::string_view text);

} // namespace tavrine
