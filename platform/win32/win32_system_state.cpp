#include "platform/win32/win32_system_state.h"

#include "platform/win32/win32_entry_points.h"

#include <windows.h>

#include <dwmapi.h>
#include <mmsystem.h>

namespace tavrine {

namespace {

using NtSetTimerResolutionFn = LONG(NTAPI*)(ULONG, BOOLEAN, PULONG);
using RtlAdjustPrivilegeFn = LONG(NTAPI*)(ULONG, BOOLEAN, BOOLEAN, PBOOLEAN);
using NtSetSystemInformationFn = LONG(NTAPI*)(ULONG, PVOID, ULONG);

// These native entry points are not guaranteed.
template <typename Fn> Fn resolve_ntdll(const char* entry) {
    return win32::loaded_entry_point<Fn>("ntdll.dll", entry);
}

} // namespace

bool Win32SystemState::time_begin_period(std::uint32_t period_ms) {
    return timeBeginPeriod(period_ms) == TIMERR_NOERROR;
}

std::optional<std::uint32_t> Win32SystemState::set_timer_resolution(std::uint32_t desired_100ns, bool set) {
    const auto set_resolution = resolve_ntdll<NtSetTimerResolutionFn>("NtSetTimerResolution");
    if (set_resolution == nullptr) {
        return std::nullopt;
    }
    ULONG current = 0;
    if (set_resolution(desired_100ns, set ? TRUE : FALSE, &current) < 0) {
        return std::nullopt;
    }
    return current;
}

std::uint32_t Win32SystemState::set_thread_execution_state(std::uint32_t flags) {
    return SetThreadExecutionState(flags);
}

bool Win32SystemState::adjust_privilege(std::uint32_t privilege, bool enable, bool current_thread) {
    const auto adjust = resolve_ntdll<RtlAdjustPrivilegeFn>("RtlAdjustPrivilege");
    if (adjust == nullptr) {
        return false;
    }
    BOOLEAN previous = FALSE;
    return adjust(privilege, enable ? TRUE : FALSE, current_thread ? TRUE : FALSE, &previous) >= 0;
}

bool Win32SystemState::set_system_information(std::uint32_t information_class, std::uint32_t value) {
    const auto set_information = resolve_ntdll<NtSetSystemInformationFn>("NtSetSystemInformation");
    if (set_information == nullptr) {
        return false;
    }
    ULONG command = value;
    return set_information(information_class, &command, sizeof command) >= 0;
}

std::optional<MemoryStatus> Win32SystemState::memory_status() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status; // 64
    if (!GlobalMemoryStatusEx(&status)) {
        return std::nullopt;
    }
    return MemoryStatus{status.ullTotalPhys, status.ullAvailPhys, status.dwMemoryLoad};
}

std::optional<SystemTimes> Win32SystemState::system_times() {
    FILETIME idle{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetSystemTimes(&idle, &kernel, &user)) {
        return std::nullopt;
    }
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return SystemTimes{ticks(idle), ticks(kernel), ticks(user)};
}

bool Win32SystemState::dwm_enable_mmcss(bool enable) {
    return SUCCEEDED(DwmEnableMMCSS(enable ? TRUE : FALSE));
}

void Win32SystemState::disable_windows_ghosting() {
    DisableProcessWindowsGhosting();
}

void Win32SystemState::sleep_ms(std::uint32_t milliseconds) {
    Sleep(milliseconds);
}

} // namespace tavrine
