#include "app/pages/system_sampler.h"

#include "app/shell_state.h"
#include "platform/machine.h"

namespace tavrine {

void advance_system_sampler(SystemSampler& sampler, float dt) {
    sampler.accumulated += dt;
    if (sampler.accumulated < kSamplerPeriodSeconds) {
        return;
    }
    sampler.accumulated = 0.0f;
    SystemState& system = current_machine().system_state();
    const std::optional<SystemTimes> now = system.system_times();
    if (!now) {
        return;
    }
    if (const std::optional<MemoryStatus> memory = system.memory_status()) {
        sampler.memory_percent = static_cast<float>(memory->load_percent);
    }
    if (sampler.has_times) {
        // Unsigned differences: a counter that went backwards must not read as a huge busy time.
        const std::uint64_t idle = now->idle >= sampler.last.idle ? now->idle - sampler.last.idle : 0;
        const std::uint64_t kernel =
            now->kernel >= sampler.last.kernel ? now->kernel - sampler.last.kernel : 0;
        const std::uint64_t user = now->user >= sampler.last.user ? now->user - sampler.last.user : 0;
        const std::uint64_t total = kernel + user; // kernel time includes idle time
        if (total != 0) {
            sampler.cpu_percent =
                static_cast<float>((1.0 - static_cast<double>(idle) / static_cast<double>(total)) * 100.0);
        }
    }
    sampler.last = *now;
    sampler.has_times = true;
}

void advance_overview_sampler(float dt) {
    advance_system_sampler(shell_state().sampler, dt);
}

} // namespace tavrine
