#pragma once
// The two functions every animated value in the window moves with.

namespace tavrine {

// Frame-rate independent exponential approach of `current` toward `target`. `dt` is capped at
// 0.05 s so one long frame cannot jump an animation, and a value within 0.002 of its target
// lands on it exactly: settled values stop changing, which is what lets the idle pacing sleep.
float approach(float current, float target, float rate, float dt);

// 1 - (1 - x)^3 with x clamped to [0, 1].
float ease_out_cubic(float x);

// Ease-out-back used by the splash logo: overshoots a little before settling at 1.
float ease_out_back(float x);

float clamp01(float x);

} // namespace tavrine
