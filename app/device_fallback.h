#pragma once
// The order in which the graphics device is tried: hardware with flip-discard, hardware with
// discard, and WARP only when the second attempt said the configuration is unsupported.

#include <functional>

namespace tavrine {

enum class DeviceDriver { Hardware, Warp };
enum class SwapEffect { FlipDiscard, Discard };

struct DeviceAttempt {
    DeviceDriver driver;
    SwapEffect swap_effect;
};

// `attempt` returns an HRESULT (negative on failure). True when some attempt succeeded.
bool create_with_fallbacks(const std::function<long(DeviceAttempt)>& attempt, long unsupported_result);

} // namespace tavrine
