#pragma once
// One line of text per process change or system request, shared by the preview and the fake
// machine's journal (as platform/change_text.h does for the registry and commands).

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrine {

struct PowerThrottlingState;

// "KILL 4312 msedge.exe (bloat list)"
std::string describe_kill(std::uint32_t pid, std::string_view reason);
// "PRIORITY 4312 cs2.exe above normal"
std::string describe_priority_class(std::uint32_t pid, std::string_view name, std::uint32_t priority_class);
std::string describe_priority_boost(std::uint32_t pid, std::string_view name, bool disable);
std::string describe_power_throttling(std::uint32_t pid, std::string_view name,
                                      const PowerThrottlingState& state);
std::string describe_io_priority(std::uint32_t pid, std::string_view name, std::uint32_t priority);
std::string describe_empty_working_set(std::uint32_t pid, std::string_view name);
std::string describe_thread_priority(std::uint32_t thread_id, std::uint32_t owner_pid, int priority);
std::string describe_thread_priority_boost(std::uint32_t thread_id, std::uint32_t owner_pid, bool disable);

std::string describe_time_begin_period(std::uint32_t period_ms);
std::string describe_timer_resolution(std::uint32_t desired_100ns, bool set);
std::string describe_execution_state(std::uint32_t flags);
std::string describe_adjust_privilege(std::uint32_t privilege, bool enable, bool current_thread);
std::string describe_system_information(std::uint32_t information_class, std::uint32_t value);
std::string describe_dwm_mmcss(bool enable);
std::string describe_windows_ghosting_off();

const char* priority_class_name(std::uint32_t priority_class);

} // namespace tavrine
