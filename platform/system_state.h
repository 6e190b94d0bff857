#pragma once
// Process-wide system requests: timer resolution, execution state, privileges, the standby
// list, memory status, the compositor's multimedia scheduling, window ghosting, and waiting.
// Entry points the Windows version may lack ("NtSetTimerResolution", "RtlAdjustPrivilege",
// "NtSetSystemInformation") are looked up at each call; a missing one makes the call fail.

#include <algorithm>
#include <cstdint>
#include <optional>

namespace tavrine {

struct MemoryStatus {
    std::uint64_t total_physical_bytes = 0;
    std::uint64_t available_physical_bytes = 0;
    std::uint32_t load_percent = 0;
};

// GetSystemTimes, in 100-nanosecond units since start-up. Kernel time includes idle time.
struct SystemTimes {
    std::uint64_t idle = 0;
    std::uint64_t kernel = 0;
    std::uint64_t user = 0;
};

// The share of the time between two samples the processors were busy, 0..100; nullopt when no
// time passed. Kernel time includes idle time. A counter that went backwards counts as no time,
// never as a huge busy one.
inline std::optional<float> cpu_load(const SystemTimes& previous, const SystemTimes& now) {
    const auto since = [](std::uint64_t before, std::uint64_t after) {
        return after >= before ? after - before : 0;
    };
    const std::uint64_t total = since(previous.kernel, now.kernel) + since(previous.user, now.user);
    if (total == 0) {
        return std::nullopt;
    }
    const std::uint64_t idle = std::min(since(previous.idle, now.idle), total);
    return static_cast<float>((1.0 - static_cast<double>(idle) / static_cast<double>(total)) * 100.0);
}

inline constexpr std::uint32_t kSystemMemoryListInformation = 80;

class SystemState {
public:
    virtual ~SystemState() = default;
    // timeBeginPeriod; never released by this program.
    virtual bool time_begin_period(std::uint32_t period_ms) = 0;
    // NtSetTimerResolution(desired, set, &current); nullopt when the call is missing or fails.
    virtual std::optional<std::uint32_t> set_timer_resolution(std::uint32_t desired_100ns, bool set) = 0;
    // SetThreadExecutionState on the calling thread; the previous state, 0 on failure.
    virtual std::uint32_t set_thread_execution_state(std::uint32_t flags) = 0;
    // RtlAdjustPrivilege(privilege, enable, current_thread, &previous).
    virtual bool adjust_privilege(std::uint32_t privilege, bool enable, bool current_thread) = 0;
    // NtSetSystemInformation with a 4-byte value (the standby purge uses class 80).
    virtual bool set_system_information(std::uint32_t information_class, std::uint32_t value) = 0;
    // GlobalMemoryStatusEx; nullopt when the call fails.
    virtual std::optional<MemoryStatus> memory_status() = 0;
    // GetSystemTimes; nullopt when the call fails.
    virtual std::optional<SystemTimes> system_times() = 0;
    // DwmEnableMMCSS.
    virtual bool dwm_enable_mmcss(bool enable) = 0;
    // DisableProcessWindowsGhosting for the own process.
    virtual void disable_windows_ghosting() = 0;
    // Sleep. Through the machine so that tests and the preview need not wait.
    virtual void sleep_ms(std::uint32_t milliseconds) = 0;
};

} // namespace tavrine
