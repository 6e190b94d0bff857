// libFuzzer target for what undo reads: history lines of any bytes (a file another program
// wrote, a disk that broke) and the rule that decides whether a line may be undone. Checks
// beyond "no crash, no sanitizer report":
//  - a line the parser accepts formats back to a line it parses to the same text; an undo's
//    word on a record formats back to the very line, and is never a change to put back;
//  - an empty scope allows nothing that changes anything;
//  - a scope that learnt a line allows it, whatever the letter case of its key or name, and a
//    scope that learnt only the program's sample lines allows no line the fuzzer made up
//    outside their keys.
// Built and run by scripts/fuzz.sh.

#include "engine/undo_scope.h"
#include "platform/default_machine.h"
#include "platform/journal/journal_record.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace tavrine;

void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "history fuzz: %s does not hold\n", what);
        std::abort();
    }
}

// Lines as a run writes them, for the scope the fuzzer's lines are judged against.
constexpr std::string_view kSampleLines[] = {
    "SET SZ\tHKCU\\Control Panel\\Mouse\tMouseSpeed\t1\tleft SZ 0",
    "SET "
    "DWORD\tHKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0000\t"
    "PP_Sample\t1\tleft ABSENT",
    "SERVICE\tSysMain\tautomatic+running\tleft disabled+stopped",
};

const UndoScope& sample_scope() {
    static const UndoScope scope = [] {
        UndoScope learnt;
        for (const std::string_view line : kSampleLines) {
            if (const RecordParse parsed = parse_record(line); parsed.record) {
                learnt.add(*parsed.record);
            }
        }
        return learnt;
    }();
    return scope;
}

bool changes_something(const JournalRecord& record) {
    return !std::holds_alternative<CannotRecord>(record);
}

// Inside the sample scope's keys: the two sample keys, any adapter number under the class key.
bool near_samples(const JournalRecord& record) {
    const auto* value = std::get_if<RegistryRecord>(&record);
    if (value == nullptr) {
        return !std::holds_alternative<KeyRecord>(record);
    }
    std::string key = value->sub_key;
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    return key == "control panel\\mouse" ||
           key.rfind("system\\currentcontrolset\\control\\class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\",
                     0) == 0;
}

JournalRecord upper_cased(JournalRecord record) {
    if (auto* value = std::get_if<RegistryRecord>(&record)) {
        for (std::string* text : {&value->sub_key, &value->name}) {
            std::transform(text->begin(), text->end(), text->begin(),
                           [](unsigned char c) { return std::toupper(c); });
        }
    }
    return record;
}

void check_line(std::string_view line) {
    (void)parse_header(line);
    (void)parse_stopped_end(line);
    if (const std::optional<RecordOutcome> outcome = parse_outcome(line)) {
        check(format_outcome(*outcome) == line, "an undo's line formats back to itself");
        check(!parse_record(line).record, "an undo's line is no change to put back");
    }
    const RecordParse parsed = parse_record(line);
    if (!parsed.record) {
        return;
    }
    const std::string formatted = format_record(*parsed.record);
    const RecordParse again = parse_record(formatted);
    check(again.record.has_value(), "a formatted line parses");
    check(format_record(*again.record) == formatted, "format and parse agree");

    const JournalRecord& record = *parsed.record;
    check(UndoScope{}.allows(record) == !changes_something(record),
          "an empty scope allows only what changes nothing");
    UndoScope learnt;
    learnt.add(record);
    check(learnt.allows(record), "a learnt line is allowed");
    check(learnt.allows(upper_cased(record)), "letter case does not matter");
    if (std::holds_alternative<RegistryRecord>(record) && !near_samples(record)) {
        check(!sample_scope().allows(record), "a value outside the learnt keys is refused");
    }
}

} // namespace

// The parser names hives through platform/machine.cpp, which links to the program's machine;
// nothing here changes a machine.
tavrine::Machine& tavrine::default_machine() {
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        check_line(line);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return 0;
}
