#include "process/game_clamp.h"

#include "engine/primitives.h"
#include "platform/ascii.h"
#include "platform/processes.h"
#include "platform/system_state.h"
#include "process/name_match.h"
#include "process/process_walk.h"

#include <cstdio>
#include <optional>
#include <string>

namespace tavrine {

namespace {

constexpr std::uint32_t kClampAccess = kProcessSetInformation | kProcessQueryLimitedInformation; // 0x1200
constexpr std::uint32_t kMainThreadAccess = kThreadSetInformation | kThreadQueryInformation;     // 0x60
constexpr std::uint32_t kNormalIoPriority = 2; // the normal hint, not 3 (high)
constexpr PowerThrottlingState kThrottlingOff{1, 1, 0};
constexpr PowerThrottlingState kThrottlingOn{1, 1, 1};

bool set_process_information_available() {
    return resolve_optional("kernel32.dll", "SetProcessInformation") != nullptr;
}

std::optional<std::uint32_t> lowest_thread_of(std::uint32_t pid) {
    std::optional<std::uint32_t> lowest;
    for (const ThreadEntry& thread : current_machine().processes().list_threads()) {
        if (thread.owner_pid == pid && (!lowest || thread.thread_id < *lowest)) {
            lowest = thread.thread_id;
        }
    }
    return lowest;
}

bool same_name(std::string_view snapshot_name, const char* exe_name) {
    return iequals(snapshot_name.substr(0, kProcessNameMax), exe_name);
}

} // namespace

void clamp_process(std::uint32_t pid) {
    if (pid == 0 || pid == own_process_id()) {
        return;
    }
    Processes& processes = current_machine().processes();
    if (ProcessHandlePtr process = processes.open_process(pid, kClampAccess)) {
        process->set_priority_class(kAboveNormalPriorityClass);
        if (set_process_information_available()) {
            process->set_power_throttling(kThrottlingOff);
        }
        process->set_priority_boost(false); // FALSE keeps the dynamic boosts on
        if (resolve_optional("ntdll.dll", "NtSetInformationProcess") != nullptr) {
            process->set_io_priority(kNormalIoPriority);
        }
    }
    // The main thread is raised even when the process itself refused the open.
    const std::optional<std::uint32_t> main_thread = lowest_thread_of(pid);
    if (!main_thread) {
        return;
    }
    if (ThreadHandlePtr thread = processes.open_thread(*main_thread, kMainThreadAccess)) {
        thread->set_priority(kThreadPriorityAboveNormal);
        thread->set_priority_boost(false);
    }
}

void clear_perf_options(const char* exe_name) {
    if (exe_name == nullptr || exe_name[0] == '\0') {
        return;
    }
    char path[520];
    std::snprintf(path, sizeof path,
                  "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution "
                  "Options\\%s\\PerfOptions",
                  exe_name);
    delete_value(path, "CpuPriorityClass");
    delete_value(path, "IoPriority");
}

void clamp_game(const char* exe_name) {
    if (exe_name == nullptr || exe_name[0] == '\0') {
        return;
    }
    clear_perf_options(exe_name);
    for (const ProcessEntry& entry : current_machine().processes().list_processes()) {
        if (same_name(entry.exe_name, exe_name)) {
            clamp_process(entry.pid);
        }
    }
}

void demote_process(const char* exe_name) {
    if (exe_name == nullptr || exe_name[0] == '\0') {
        return;
    }
    Processes& processes = current_machine().processes();
    for (const ProcessEntry& entry : processes.list_processes()) {
        if (!same_name(entry.exe_name, exe_name)) {
            continue;
        }
        ProcessHandlePtr process = processes.open_process(entry.pid, kClampAccess);
        if (!process) {
            continue;
        }
        process->set_priority_class(kBelowNormalPriorityClass);
        if (set_process_information_available()) {
            process->set_power_throttling(kThrottlingOn);
        }
    }
}

} // namespace tavrine
