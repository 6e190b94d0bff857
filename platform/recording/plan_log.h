#pragma once
// What the parts of the preview write into: the plan, one line at a time. The recording
// machine keeps it; its files, processes, system-state and task parts only write to it, so
// they know this and not the machine that holds them.

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrine {

// How one recorded line stands against the machine underneath.
enum class PlanMark : std::uint8_t {
    Changes,   // read back and not in place yet
    Already,   // read back and in place: the run would change nothing
    Unchecked, // cannot be read back (commands, process and timer requests)
    Note,      // a remark for the reader, no change
    Detail,    // a further line of the change above it (the paths of a deletion summary)
};

class PlanLog {
public:
    virtual ~PlanLog() = default;

    virtual void record(std::string line, PlanMark mark = PlanMark::Unchecked) = 0;
    // A change that would change nothing and that a plan does not print.
    virtual void record_hidden_already(std::string line) = 0;
    // File deletions gather into one summary until any other line is recorded.
    virtual void record_file_deletion(std::string_view path, std::uint64_t size) = 0;
    virtual void record_read_only_cleared() = 0;
};

} // namespace tavrine
