#pragma once

#include "platform/recording/plan_log.h"
#include "platform/system_state.h"

namespace tavrine {
class Machine;

// Records every request in the plan; reads (the memory status) go to the real machine, and a
// preview never sleeps.
class RecordingSystemState final : public SystemState {
public:
    RecordingSystemState(PlanLog& plan, Machine& reads_from) : plan_(plan), inner_(reads_from) {}

    bool time_begin_period(std::uint32_t period_ms) override;
    std::optional<std::uint32_t> set_timer_resolution(std::uint32_t desired_100ns, bool set) override;
    std::uint32_t set_thread_execution_state(std::uint32_t flags) override;
    bool adjust_privilege(std::uint32_t privilege, bool enable, bool current_thread) override;
    bool set_system_information(std::uint32_t information_class, std::uint32_t value) override;
    std::optional<MemoryStatus> memory_status() override;
    std::optional<SystemTimes> system_times() override;
    bool dwm_enable_mmcss(bool enable) override;
    void disable_windows_ghosting() override;
    void sleep_ms(std::uint32_t /*milliseconds*/) override {}

private:
    PlanLog& plan_;
    Machine& inner_;
};

} // namespace tavrine
