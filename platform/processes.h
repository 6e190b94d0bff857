#pragma once
// Processes and threads: the snapshots, the open handles and the per-process changes the cull,
// the game clamp and the working-set trim make.
//
// Index:
//   [SECTION] Access rights and values
//   [SECTION] Snapshot entries
//   [SECTION] Open processes and threads
//   [SECTION] Processes

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine {

// [SECTION] Access rights and values ----------------------------------------------------------

inline constexpr std::uint32_t kProcessTerminate = 0x0001;
inline constexpr std::uint32_t kProcessSetInformation = 0x0200;
inline constexpr std::uint32_t kProcessSetQuota = 0x0100;
inline constexpr std::uint32_t kProcessQueryLimitedInformation = 0x1000;
inline constexpr std::uint32_t kSynchronize = 0x00100000;
inline constexpr std::uint32_t kThreadSetInformation = 0x0020;
inline constexpr std::uint32_t kThreadQueryInformation = 0x0040;
// PROCESS_QUERY_INFORMATION | PROCESS_VM_READ: what reading another process's module list needs.
inline constexpr std::uint32_t kProcessQueryAndRead = 0x0410;
// The process-id buffer of the running-executable list holds this many ids.
inline constexpr std::size_t kMaxListedProcesses = 1024;

inline constexpr std::uint32_t kIdlePriorityClass = 0x40;
inline constexpr std::uint32_t kBelowNormalPriorityClass = 0x4000;
inline constexpr std::uint32_t kNormalPriorityClass = 0x20;
inline constexpr std::uint32_t kAboveNormalPriorityClass = 0x8000;
inline constexpr std::uint32_t kHighPriorityClass = 0x80;
inline constexpr std::uint32_t kRealtimePriorityClass = 0x100;

inline constexpr int kThreadPriorityNormal = 0;
inline constexpr int kThreadPriorityAboveNormal = 1;

// PROCESS_POWER_THROTTLING_STATE, passed to SetProcessInformation (class 4).
struct PowerThrottlingState {
    std::uint32_t version = 1;
    std::uint32_t control_mask = 1; // execution speed
    std::uint32_t state_mask = 0;   // 0 switches throttling off, 1 forces it on
};

// [SECTION] Snapshot entries ------------------------------------------------------------------

inline constexpr std::uint32_t kUnknownSession = 0xFFFFFFFF;

struct ProcessEntry {
    std::uint32_t pid = 0;
    std::uint32_t parent_pid = 0;
    std::string exe_name; // file name only, as the process snapshot gives it
    // Read while the snapshot is taken, so that a later open can tell this process from one that
    // reused its id: the logon session (kUnknownSession when it cannot be read) and the creation
    // time (FILETIME ticks, 0 when the process refuses to say).
    std::uint32_t session_id = kUnknownSession;
    std::uint64_t creation_time = 0;
};

struct ThreadEntry {
    std::uint32_t thread_id = 0;
    std::uint32_t owner_pid = 0;
};

// [SECTION] Open processes and threads -------------------------------------------------------

// One open process; the handle closes when this goes. Every call fails quietly (false or
// nullopt) when the access the process was opened with does not allow it.
class ProcessHandle {
public:
    virtual ~ProcessHandle() = default;
    virtual std::uint32_t pid() const = 0;
    // TerminateProcess. `reason` (for example "msedge.exe (bloat list)") only names the change
    // in a preview or a test journal; the real backend ignores it.
    virtual bool terminate(std::uint32_t exit_code, std::string_view reason) = 0;
    // GetExitCodeProcess: kStillActive (259) while it runs.
    virtual std::optional<std::uint32_t> exit_code() = 0;
    // WaitForSingleObject; true once the process has ended (needs kSynchronize).
    virtual bool wait_for_exit(std::uint32_t wait_ms) = 0;
    virtual std::optional<std::uint32_t> priority_class() = 0;
    virtual bool set_priority_class(std::uint32_t priority_class) = 0;
    // SetProcessPriorityBoost: `disable` false keeps the dynamic boosts on.
    virtual bool set_priority_boost(bool disable) = 0;
    // "SetProcessInformation" (kernel32) with ProcessPowerThrottling. The entry point is looked
    // up at each call; false when it is missing.
    virtual bool set_power_throttling(const PowerThrottlingState& state) = 0;
    // "NtSetInformationProcess" (ntdll) with ProcessIoPriority (class 33), looked up at each call.
    virtual bool set_io_priority(std::uint32_t priority) = 0;
    // K32EmptyWorkingSet.
    virtual bool empty_working_set() = 0;
    // GetProcessTimes: the creation time in FILETIME ticks.
    virtual std::optional<std::uint64_t> creation_time() = 0;
    // QueryFullProcessImageNameW, the file name only: what this very process runs.
    virtual std::optional<std::string> image_name() = 0;
};
using ProcessHandlePtr = std::unique_ptr<ProcessHandle>;

class ThreadHandle {
public:
    virtual ~ThreadHandle() = default;
    virtual std::optional<int> priority() = 0;
    virtual bool set_priority(int priority) = 0;
    // SetThreadPriorityBoost: `disable` false keeps the dynamic boosts on.
    virtual bool set_priority_boost(bool disable) = 0;
};
using ThreadHandlePtr = std::unique_ptr<ThreadHandle>;

// [SECTION] Processes ---------------------------------------------------------------------------

class Processes {
public:
    virtual ~Processes() = default;
    // One snapshot of the running processes, in snapshot order; empty when none can be taken.
    virtual std::vector<ProcessEntry> list_processes() = 0;
    // One snapshot of every thread of the system; empty when none can be taken.
    virtual std::vector<ThreadEntry> list_threads() = 0;
    // Full path of the process's main module: OpenProcess with kProcessQueryAndRead,
    // K32GetModuleFileNameExW into 260 units. nullopt when either is refused.
    virtual std::optional<std::string> image_path(std::uint32_t pid) = 0;
    // OpenProcess / OpenThread with the given access; null when refused or gone.
    virtual ProcessHandlePtr open_process(std::uint32_t pid, std::uint32_t access) = 0;
    virtual ThreadHandlePtr open_thread(std::uint32_t thread_id, std::uint32_t access) = 0;
    // The calling process (a pseudo handle with every right).
    virtual ProcessHandlePtr current_process() = 0;
    virtual std::uint32_t current_process_id() = 0;
    // True while a process with this id exists, including one that refuses to be opened.
    // A failed open alone cannot tell "gone" from "access denied".
    virtual bool is_running(std::uint32_t pid) = 0;
    // K32EnumProcesses into room for kMaxListedProcesses ids; empty when the call fails.
    virtual std::vector<std::uint32_t> process_ids() = 0;
    // The base name of the process's first module: OpenProcess with kProcessQueryAndRead,
    // K32EnumProcessModules for one module, K32GetModuleBaseNameW into 260 units. nullopt when
    // the process cannot be opened with that access or its modules cannot be read.
    virtual std::optional<std::string> main_module_name(std::uint32_t pid) = 0;
    // ProcessIdToSessionId: the logon session the process runs in.
    virtual std::optional<std::uint32_t> session_of(std::uint32_t pid) = 0;
};

} // namespace tavrine
