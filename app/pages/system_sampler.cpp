#include "app/pages/system_sampler.h"

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
        if (const std::optional<float> load = cpu_load(sampler.last, *now)) {
            sampler.cpu_percent = *load;
        }
    }
    sampler.last = *now;
    sampler.has_times = true;
}

} // namespace tavrine
