#include "overlays/overlay_clock.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace tavrine {

namespace {

// One long stall (a suspended machine, a debugger) must not jump the motion model.
constexpr float kLongestStep = 0.25f;

} // namespace

bool OverlayClock::start(Tick tick, std::chrono::nanoseconds period) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (thread_.joinable()) {
        return true;
    }
    stopping_ = false;
    woken_ = false;
    try {
        thread_ = std::thread([this, tick = std::move(tick), period] { run(tick, period); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void OverlayClock::wake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
    }
    changed_.notify_all();
}

void OverlayClock::stop() {
    std::thread ending;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable()) {
            return;
        }
        stopping_ = true;
        ending = std::move(thread_);
    }
    changed_.notify_all();
    ending.join();
}

bool OverlayClock::running() {
    std::lock_guard<std::mutex> lock(mutex_);
    return thread_.joinable();
}

void OverlayClock::run(Tick tick, std::chrono::nanoseconds period) {
    using Clock = std::chrono::steady_clock;
    auto previous = Clock::now();
    bool first = true;
    auto next = previous;
    for (;;) {
        const auto now = Clock::now();
        const float dt =
            first ? 0.0f : std::min(std::chrono::duration<float>(now - previous).count(), kLongestStep);
        first = false;
        previous = now;
        const bool again = tick(dt);
        ticks_.fetch_add(1);
        // Deadlines follow one another a period apart, so a late wake does not slow the rate;
        // after a long stall the schedule starts afresh instead of catching up in a burst.
        next += period;
        if (next < now) {
            next = now + period;
        }
        std::unique_lock<std::mutex> lock(mutex_);
        const auto woken_or_stopping = [this] {
            return woken_ || stopping_;
        };
        if (again) {
            changed_.wait_until(lock, next, woken_or_stopping);
        } else {
            changed_.wait(lock, woken_or_stopping);
            next = Clock::now();
        }
        if (stopping_) {
            return;
        }
        woken_ = false;
    }
}

} // namespace tavrine
