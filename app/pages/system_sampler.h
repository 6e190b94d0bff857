#pragma once
// The Overview page's CPU and memory figures, sampled every 0.45 s of frame time.

#include "platform/system_state.h"

namespace tavrine {

struct SystemSampler {
    float accumulated = 0.0f; // frame time since the last sample
    bool has_times = false;   // `last` holds a sample to measure the next one against
    SystemTimes last;
    float cpu_percent = 0.0f;
    float memory_percent = 0.0f;
};

inline constexpr float kSamplerPeriodSeconds = 0.45f;

// Adds `dt`; once 0.45 s have gathered, reads the system times and the memory load through the
// machine. A failed system-times read leaves every figure as it was for that sample.
void advance_system_sampler(SystemSampler& sampler, float dt);

} // namespace tavrine
