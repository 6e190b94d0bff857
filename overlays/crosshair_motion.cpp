#include "overlays/crosshair_motion.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace tavrine {

namespace {

bool fire_held(int fire_detect, const MouseSample& mouse) {
    switch (fire_detect) {
    case 1:
        return mouse.right;
    case 2:
        return mouse.left || mouse.right;
    case 3:
        return true;
    default:
        return mouse.left;
    }
}

// A value a file full of extremes turned into infinity or NaN starts again from rest.
float finite_or_zero(float value) {
    return std::isfinite(value) ? value : 0.0f;
}

void decay(CrosshairMotion& motion, const CrosshairSettings& settings, float dt) {
    const float e = std::exp(-std::max(dt, 0.0001f) * settings.recovery);
    motion.kick_x = finite_or_zero(motion.kick_x * e);
    motion.kick_y = finite_or_zero(motion.kick_y * e);
    motion.bloom = finite_or_zero(motion.bloom * e);
}

} // namespace

int saturating_round(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::round(value);
    if (rounded <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    if (rounded >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    return static_cast<int>(rounded);
}

CrosshairColour rainbow_colour(float phase, float saturation, float brightness) {
    float h = phase - std::floor(phase); // fractional part; negative phases wrap upwards
    if (!std::isfinite(h)) {
        h = 0.0f;
    }
    const float s = saturation;
    const float v = brightness;
    const float h6 = h * 6.0f;
    const int sector = std::clamp(static_cast<int>(h6), 0, 5);
    const float f = h6 - static_cast<float>(sector);
    const float p = v * (1.0f - s);
    const float q = v * (1.0f - s * f);
    const float t = v * (1.0f - s * (1.0f - f));
    switch (sector) {
    case 0:
        return {v, t, p, 1.0f};
    case 1:
        return {q, v, p, 1.0f};
    case 2:
        return {p, v, t, 1.0f};
    case 3:
        return {p, q, v, 1.0f};
    case 4:
        return {t, p, v, 1.0f};
    default:
        return {v, p, q, 1.0f};
    }
}

void rainbow_step(CrosshairMotion& motion, CrosshairSettings& settings, float dt) {
    if (!settings.rainbow) {
        return;
    }
    motion.hue_phase += dt * settings.rainbow_speed;
    if (motion.hue_phase > 1.0f) {
        motion.hue_phase -= 1.0f;
    }
    motion.hue_phase = finite_or_zero(motion.hue_phase);
    settings.colour =
        rainbow_colour(motion.hue_phase, settings.rainbow_saturation, settings.rainbow_brightness);
}

void motion_step(CrosshairMotion& motion, const CrosshairSettings& settings, float dt,
                 const MouseSample& mouse) {
    motion.effective_length = settings.length;
    motion.effective_gap = settings.gap;
    motion.effective_size = settings.size;
    if (!settings.react_to_recoil) {
        decay(motion, settings, dt);
        return;
    }

    float dx = 0.0f;
    float dy = 0.0f;
    if (motion.previous_valid) {
        // In double first: two far-apart int positions can differ by more than an int holds.
        dx = static_cast<float>(static_cast<double>(mouse.x) - motion.previous_x);
        dy = static_cast<float>(static_cast<double>(mouse.y) - motion.previous_y);
    }
    motion.previous_x = mouse.x;
    motion.previous_y = mouse.y;
    motion.previous_valid = true;
    const float speed = std::sqrt(dx * dx + dy * dy);

    const bool firing = fire_held(settings.fire_detect, mouse);
    const float s = settings.sensitivity;
    const float k = settings.kick_strength;
    const float w = settings.ads_sway;
    float ix = 0.0f;
    float iy = 0.0f;
    float ib = 0.0f;
    if (firing && speed > 0.15f) {
        ix = dx * k * 0.35f;
        iy = dy * k * 0.55f;
        ib = s * (1.1f * (0.35f * std::max(dy, 0.0f) + std::max(-dy, 0.0f)) +
                  0.65f * (settings.horizontal_recoil ? std::fabs(dx) : 0.0f) + 0.25f * speed);
    }
    if (firing && speed < 0.2f) {
        // A still mouse while firing: the crosshair blooms and climbs.
        ib += 18.0f * s * dt;
        iy -= 12.0f * k * dt;
    }
    if (!firing && speed > 0.4f && w > 0.0f) {
        ix = dx * w * 0.08f;
        iy = dy * w * 0.08f;
        ib = speed * w * 0.08f * s;
    }

    // A negative or NaN limit from a hand-edited file would make the clamp's bounds cross.
    const float m = settings.max_kick >= 0.0f ? settings.max_kick : 0.0f;
    motion.kick_x = std::clamp(motion.kick_x + ix, -m, m);
    motion.kick_y = std::clamp(motion.kick_y + iy, -m, m);
    motion.bloom = std::min(motion.bloom + 0.35f * ib, settings.max_spread);
    decay(motion, settings, dt);

    motion.effective_gap = saturating_round(static_cast<double>(settings.gap) + std::round(motion.bloom));
    motion.effective_length =
        saturating_round(static_cast<double>(settings.length) + std::round(0.45 * motion.bloom));
    motion.effective_size =
        saturating_round(static_cast<double>(settings.size) + std::round(0.12 * motion.bloom));
}

} // namespace tavrine
