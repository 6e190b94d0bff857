#include "process/holds.h"

#include "engine/primitives.h"
#include "platform/processes.h"
#include "platform/system_state.h"

namespace tavrine {

namespace {

constexpr std::uint32_t kTimerPeriodMs = 1;
constexpr std::uint32_t kTimerResolution100ns = 10000; // 1 ms
// ES_CONTINUOUS | ES_AWAYMODE_REQUIRED | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED
constexpr std::uint32_t kExecutionStateHeld = 0x80000043;
constexpr std::uint32_t kIncreaseQuotaPrivilege = 5;
constexpr std::uint32_t kProfileSingleProcessPrivilege = 13;
constexpr std::uint32_t kFlushModifiedList = 4;
constexpr std::uint32_t kPurgeStandbyList = 5;

} // namespace

void hold_timer_resolution() {
    SystemState& state = current_machine().system_state();
    state.time_begin_period(kTimerPeriodMs);
    if (resolve_optional("ntdll.dll", "NtSetTimerResolution") != nullptr) {
        state.set_timer_resolution(kTimerResolution100ns, true);
    }
}

void hold_power() {
    current_machine().system_state().set_thread_execution_state(kExecutionStateHeld);
    if (resolve_optional("kernel32.dll", "SetProcessInformation") != nullptr) {
        current_machine().processes().current_process()->set_power_throttling({1, 1, 0});
    }
}

void purge_standby_list() {
    SystemState& state = current_machine().system_state();
    if (resolve_optional("ntdll.dll", "RtlAdjustPrivilege") != nullptr) {
        state.adjust_privilege(kIncreaseQuotaPrivilege, true, false);
    }
    if (resolve_optional("ntdll.dll", "RtlAdjustPrivilege") != nullptr) {
        state.adjust_privilege(kProfileSingleProcessPrivilege, true, false);
    }
    if (resolve_optional("ntdll.dll", "NtSetSystemInformation") != nullptr) {
        state.set_system_information(kSystemMemoryListInformation, kFlushModifiedList);
        state.set_system_information(kSystemMemoryListInformation, kPurgeStandbyList);
    }
}

} // namespace tavrine
