#include "platform/fake/fake_system_state.h"

#include "platform/fake/fake_journal.h"
#include "platform/machine.h"
#include "platform/process_change_text.h"

namespace tavrine {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

} // namespace

bool FakeSystemState::time_begin_period(std::uint32_t period_ms) {
    journal_.add(describe_time_begin_period(period_ms));
    return true;
}

std::optional<std::uint32_t> FakeSystemState::set_timer_resolution(std::uint32_t desired_100ns, bool set) {
    Lock lock(journal_.lock());
    if (security_.resolve_optional("ntdll.dll", "NtSetTimerResolution") == nullptr) {
        return std::nullopt;
    }
    if (set) {
        timer_resolution_ = desired_100ns;
    }
    journal_.add(describe_timer_resolution(desired_100ns, set));
    return timer_resolution_;
}

std::uint32_t FakeSystemState::set_thread_execution_state(std::uint32_t flags) {
    Lock lock(journal_.lock());
    const std::uint32_t previous = execution_state_ != 0 ? execution_state_ : 0x80000000u;
    execution_state_ = flags;
    journal_.add(describe_execution_state(flags));
    return previous;
}

bool FakeSystemState::adjust_privilege(std::uint32_t privilege, bool enable, bool current_thread) {
    Lock lock(journal_.lock());
    if (security_.resolve_optional("ntdll.dll", "RtlAdjustPrivilege") == nullptr) {
        return false;
    }
    journal_.add(describe_adjust_privilege(privilege, enable, current_thread));
    return true;
}

bool FakeSystemState::set_system_information(std::uint32_t information_class, std::uint32_t value) {
    Lock lock(journal_.lock());
    if (security_.resolve_optional("ntdll.dll", "NtSetSystemInformation") == nullptr) {
        return false;
    }
    journal_.add(describe_system_information(information_class, value));
    return true;
}

std::optional<MemoryStatus> FakeSystemState::memory_status() {
    Lock lock(journal_.lock());
    return memory_;
}

std::optional<SystemTimes> FakeSystemState::system_times() {
    Lock lock(journal_.lock());
    return times_;
}

bool FakeSystemState::dwm_enable_mmcss(bool enable) {
    journal_.add(describe_dwm_mmcss(enable));
    return true;
}

void FakeSystemState::disable_windows_ghosting() {
    Lock lock(journal_.lock());
    ghosting_disabled_ = true;
    journal_.add(describe_windows_ghosting_off());
}

void FakeSystemState::sleep_ms(std::uint32_t milliseconds) {
    Lock lock(journal_.lock());
    slept_ms_ += milliseconds; // time passes only on paper
}

void FakeSystemState::set_memory_status(std::optional<MemoryStatus> status) {
    Lock lock(journal_.lock());
    memory_ = status;
}

void FakeSystemState::set_system_times(std::optional<SystemTimes> times) {
    Lock lock(journal_.lock());
    times_ = times;
}

std::uint32_t FakeSystemState::execution_state() const {
    Lock lock(journal_.lock());
    return execution_state_;
}

bool FakeSystemState::windows_ghosting_disabled() const {
    Lock lock(journal_.lock());
    return ghosting_disabled_;
}

std::uint64_t FakeSystemState::slept_ms() const {
    Lock lock(journal_.lock());
    return slept_ms_;
}

} // namespace tavrine
