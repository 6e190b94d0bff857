#pragma once

#include "platform/system_state.h"

#include <cstdint>
#include <vector>

namespace tavrine {

class FakeJournal;
class Security;

// Records every request in the machine's journal and remembers what it was asked for. The
// native entry points answer only when a test has provided them (FakeSecurity::provide_entry).
class FakeSystemState final : public SystemState {
public:
    FakeSystemState(FakeJournal& journal, Security& security) : journal_(journal), security_(security) {}

    bool time_begin_period(std::uint32_t period_ms) override;
    std::optional<std::uint32_t> set_timer_resolution(std::uint32_t desired_100ns, bool set) override;
    std::uint32_t set_thread_execution_state(std::uint32_t flags) override;
    bool adjust_privilege(std::uint32_t privilege, bool enable, bool current_thread) override;
    bool set_system_information(std::uint32_t information_class, std::uint32_t value) override;
    std::optional<MemoryStatus> memory_status() override;
    std::optional<SystemTimes> system_times() override;
    bool dwm_enable_mmcss(bool enable) override;
    void disable_windows_ghosting() override;
    void sleep_ms(std::uint32_t milliseconds) override;

    // nullopt (the default) makes GlobalMemoryStatusEx fail.
    void set_memory_status(std::optional<MemoryStatus> status);
    // nullopt (the default) makes GetSystemTimes fail.
    void set_system_times(std::optional<SystemTimes> times);
    std::uint32_t execution_state() const;
    bool windows_ghosting_disabled() const;
    std::uint64_t slept_ms() const;

private:
    FakeJournal& journal_; // the machine's lock and journal
    Security& security_;   // which optional entry points this machine has
    std::optional<MemoryStatus> memory_;
    std::optional<SystemTimes> times_;
    std::uint32_t execution_state_ = 0;
    std::uint32_t timer_resolution_ = 156250;
    bool ghosting_disabled_ = false;
    std::uint64_t slept_ms_ = 0;
};

} // namespace tavrine
