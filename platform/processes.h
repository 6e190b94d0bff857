#pragma once
// Processes and threads: the walks, the per-process changes and the runtime holds.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrine {

struct ProcessEntry {
    std::uint32_t pid = 0;
    std::uint32_t parent_pid = 0;
    std::string exe_name; // file name only, as the process snapshot gives it
};

class Processes {
public:
    virtual ~Processes() = default;
    // One snapshot of the running processes, in snapshot order.
    virtual std::vector<ProcessEntry> list_processes() = 0;
    // Full image path of a process; nullopt when it cannot be opened.
    virtual std::optional<std::string> image_path(std::uint32_t pid) = 0;
};

} // namespace tavrine
