#include "platform/recording/recording_system_state.h"

#include "platform/machine.h"
#include "platform/process_change_text.h"

namespace tavrine {

bool RecordingSystemState::time_begin_period(std::uint32_t period_ms) {
    plan_.record(describe_time_begin_period(period_ms));
    return true;
}

std::optional<std::uint32_t> RecordingSystemState::set_timer_resolution(std::uint32_t desired_100ns,
                                                                        bool set) {
    plan_.record(describe_timer_resolution(desired_100ns, set));
    return desired_100ns;
}

std::uint32_t RecordingSystemState::set_thread_execution_state(std::uint32_t flags) {
    plan_.record(describe_execution_state(flags));
    return 0x80000000u;
}

bool RecordingSystemState::adjust_privilege(std::uint32_t privilege, bool enable, bool current_thread) {
    plan_.record(describe_adjust_privilege(privilege, enable, current_thread));
    return true;
}

bool RecordingSystemState::set_system_information(std::uint32_t information_class, std::uint32_t value) {
    plan_.record(describe_system_information(information_class, value));
    return true;
}

std::optional<MemoryStatus> RecordingSystemState::memory_status() {
    return inner_.system_state().memory_status();
}

std::optional<SystemTimes> RecordingSystemState::system_times() {
    return inner_.system_state().system_times();
}

bool RecordingSystemState::dwm_enable_mmcss(bool enable) {
    plan_.record(describe_dwm_mmcss(enable));
    return true;
}

void RecordingSystemState::disable_windows_ghosting() {
    plan_.record(describe_windows_ghosting_off());
}

} // namespace tavrine
