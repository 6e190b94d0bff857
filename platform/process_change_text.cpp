#include "platform/process_change_text.h"

#include "platform/change_text.h"
#include "platform/processes.h"

#include <cstdio>

namespace tavrine {

namespace {

std::string process_words(std::uint32_t pid, std::string_view name) {
    std::string words = std::to_string(pid);
    if (!name.empty()) {
        words += ' ';
        words += name;
    }
    return words;
}

const char* thread_priority_name(int priority) {
    switch (priority) {
    case -15:
        return "idle";
    case -2:
        return "lowest";
    case -1:
        return "below normal";
    case 0:
        return "normal";
    case 1:
        return "above normal";
    case 2:
        return "highest";
    case 15:
        return "time critical";
    default:
        return nullptr;
    }
}

} // namespace

const char* priority_class_name(std::uint32_t priority_class) {
    switch (priority_class) {
    case kIdlePriorityClass:
        return "idle";
    case kBelowNormalPriorityClass:
        return "below normal";
    case kNormalPriorityClass:
        return "normal";
    case kAboveNormalPriorityClass:
        return "above normal";
    case kHighPriorityClass:
        return "high";
    case kRealtimePriorityClass:
        return "realtime";
    default:
        return nullptr;
    }
}

std::string describe_kill(std::uint32_t pid, std::string_view reason) {
    return "KILL " + process_words(pid, reason);
}

std::string describe_priority_class(std::uint32_t pid, std::string_view name, std::uint32_t priority_class) {
    const char* words = priority_class_name(priority_class);
    return "PRIORITY " + process_words(pid, name) + " " + (words != nullptr ? words : hex(priority_class));
}

std::string describe_priority_boost(std::uint32_t pid, std::string_view name, bool disable) {
    return "PRIORITY BOOST " + process_words(pid, name) + (disable ? " off" : " on");
}

std::string describe_power_throttling(std::uint32_t pid, std::string_view name,
                                      const PowerThrottlingState& state) {
    std::string line = "THROTTLING " + process_words(pid, name);
    if (state.version == 1 && state.control_mask == 1 && state.state_mask <= 1) {
        return line + (state.state_mask == 0 ? " off" : " on");
    }
    return line + " {" + std::to_string(state.version) + ", " + std::to_string(state.control_mask) + ", " +
           std::to_string(state.state_mask) + "}";
}

std::string describe_io_priority(std::uint32_t pid, std::string_view name, std::uint32_t priority) {
    return "IO PRIORITY " + process_words(pid, name) + " " + std::to_string(priority);
}

std::string describe_empty_working_set(std::uint32_t pid, std::string_view name) {
    return "TRIM " + process_words(pid, name);
}

std::string describe_thread_priority(std::uint32_t thread_id, std::uint32_t owner_pid, int priority) {
    const char* words = thread_priority_name(priority);
    return "THREAD " + std::to_string(thread_id) + " of " + std::to_string(owner_pid) + " priority " +
           (words != nullptr ? words : std::to_string(priority));
}

std::string describe_thread_priority_boost(std::uint32_t thread_id, std::uint32_t owner_pid, bool disable) {
    return "THREAD " + std::to_string(thread_id) + " of " + std::to_string(owner_pid) + " boost" +
           (disable ? " off" : " on");
}

std::string describe_time_begin_period(std::uint32_t period_ms) {
    return "TIMER timeBeginPeriod " + std::to_string(period_ms) + " ms";
}

std::string describe_timer_resolution(std::uint32_t desired_100ns, bool set) {
    return "TIMER NtSetTimerResolution " + std::to_string(desired_100ns) + (set ? " set" : " release");
}

std::string describe_execution_state(std::uint32_t flags) {
    return "EXECUTION STATE " + hex(flags);
}

std::string describe_adjust_privilege(std::uint32_t privilege, bool enable, bool current_thread) {
    return "PRIVILEGE " + std::to_string(privilege) + (enable ? " enable" : " disable") +
           (current_thread ? " (thread)" : "");
}

std::string describe_system_information(std::uint32_t information_class, std::uint32_t value) {
    return "SYSTEM INFORMATION class " + std::to_string(information_class) + " value " +
           std::to_string(value);
}

std::string describe_dwm_mmcss(bool enable) {
    return enable ? "DWM MMCSS on" : "DWM MMCSS off";
}

std::string describe_windows_ghosting_off() {
    return "WINDOW GHOSTING off";
}

} // namespace tavrine
