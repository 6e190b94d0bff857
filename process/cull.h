#pragma once
// The CPU cull: background processes ended under the protected list, bloat services stopped,
// startup junk removed, and the process counts before and after.

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

namespace tavrine {

// The eight cull options, and two facts the services option needs, as a run's step read them
// from the arm flags and the preset (runs/modules.h).
struct CullOptions {
    bool bloat_list = false;
    bool oem_suite = false;
    bool updaters = false;
    bool deep_sweep = false;
    bool services = false;
    bool startup = false;
    bool office = false;
    bool cloud_sync = false;
    bool stop_sysmain = false;          // "SysMain" armed: stopped with the cull's services
    bool keep_capture_services = false; // the Streamer preset keeps capture and clipboard
};

enum class CullAction : std::uint8_t {
    Spare,
    Terminate,
    // Office document editors are asked to close instead of being ended, so that a user with
    // an unsaved document is offered to save it.
    AskToClose,
};

struct CullVerdict {
    CullAction action = CullAction::Spare;
    const char* rule = nullptr; // the option that decided, for the preview ("bloat list", ...)
};

// What one pass does with a process of this name; `lowered_name` is already ASCII-folded.
CullVerdict cull_verdict(std::string_view lowered_name, const CullOptions& options);

// Document editors asked to close during one run, by lower-case name: each is asked once, so
// that a user answering a save prompt is not asked again by every later pass.
class CloseRequests {
public:
    bool asked(std::string_view lowered_name) const { return names_.count(std::string(lowered_name)) != 0; }
    void mark(std::string_view lowered_name) { names_.insert(std::string(lowered_name)); }

private:
    std::set<std::string> names_;
};

// One pass over every process of the program's own logon session; the number of terminations
// it is credited with. Without a CloseRequests record, editors are asked to close on every pass.
// `gone` counts the processes that had ended, or whose id named another process, by the time
// the pass came to them.
int cull_pass(const CullOptions& options, CloseRequests* close_requests = nullptr, int* gone = nullptr);

// The "Startup" option's registry and task changes.
void disable_startup_junk();
// The "Services" option's service changes (and SysMain's, when `stop_sysmain`).
void stop_cull_services(const CullOptions& options);

// The "CPU cull" step and the deploy's background cull; writes CullResult.
void run_cpu_cull(const CullOptions& options);

struct CullCounts {
    std::int32_t before = 0;
    std::int32_t after = 0;
    std::int32_t killed = 0;
    std::int32_t gone = 0; // listed, but gone or replaced before they could be ended: not ended
};

// Written by the cull on a worker thread when a run ends, read by the pages every frame: the
// three counts go in and come out together, never as a mix of two runs.
class CullResult {
public:
    CullCounts get() const;
    void set(const CullCounts& counts);

private:
    mutable std::mutex mutex_;
    CullCounts counts_;
};
CullResult& cull_result();

// "%d -> %d processes  ·  %d killed" from the last run (at most 80 bytes).
std::string cull_result_line();

} // namespace tavrine
