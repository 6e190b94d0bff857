#include "app/animation.h"

#include <algorithm>
#include <cmath>

namespace tavrine {

float approach(float current, float target, float rate, float dt) {
    const float step = std::min(dt, 0.05f);
    const float result = current + (target - current) * (1.0f - std::exp(-step * rate));
    if (std::fabs(result - target) < 0.002f) {
        return target;
    }
    return result;
}

float clamp01(float x) {
    return std::clamp(x, 0.0f, 1.0f);
}

float ease_out_cubic(float x) {
    const float inv = 1.0f - clamp01(x);
    return 1.0f - inv * inv * inv;
}

float ease_out_back(float x) {
    const float t = clamp01(x) - 1.0f;
    return 1.0f + 2.70158f * t * t * t + 1.70158f * t * t;
}

} // namespace tavrine
