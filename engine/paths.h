#pragma once
// The paths a run can take: every block of the module table, or all of them at once.

#include <cstdint>

namespace tavrine {

enum class PathKind : std::int32_t {
    All = 0,
    Latency = 1,
    Frames = 2,
    Netcode = 3,
    Cleanup = 4,
    CpuCull = 5
};

} // namespace tavrine
