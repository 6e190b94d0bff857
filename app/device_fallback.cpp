#include "app/device_fallback.h"

namespace tavrine {

bool create_with_fallbacks(const std::function<long(DeviceAttempt)>& attempt, long unsupported_result) {
    if (attempt({DeviceDriver::Hardware, SwapEffect::FlipDiscard}) >= 0) {
        return true;
    }
    const long second = attempt({DeviceDriver::Hardware, SwapEffect::Discard});
    if (second >= 0) {
        return true;
    }
    if (second != unsupported_result) {
        return false;
    }
    return attempt({DeviceDriver::Warp, SwapEffect::Discard}) >= 0;
}

} // namespace tavrine
