#pragma once
// The overlays' own clock: a thread that calls a tick once per display refresh for as long as
// the tick asks for another, and sleeps until woken otherwise. The crosshair's motion and
// rainbow run on it, so they go on while the main window draws nothing (minimised, covered),
// and a crosshair that stands still costs nothing but the wait.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace tavrine {

class OverlayClock {
public:
    // `dt`: seconds since the previous tick (0 for the first). Returns true when it wants the
    // next tick one period later, false to sleep until wake().
    using Tick = std::function<bool(float dt)>;

    OverlayClock() = default;
    ~OverlayClock() { stop(); }
    OverlayClock(const OverlayClock&) = delete;
    OverlayClock& operator=(const OverlayClock&) = delete;

    // Starts the thread when it is not running; the first tick comes at once. False when no
    // thread could be started (the caller tries again later).
    bool start(Tick tick, std::chrono::nanoseconds period);
    // The next tick comes at once (something the tick reads has changed).
    void wake();
    // Waits for a tick in progress and ends the thread.
    void stop();
    bool running();
    // Ticks made since the process started (tests).
    std::uint64_t ticks() const { return ticks_.load(); }

private:
    void run(Tick tick, std::chrono::nanoseconds period);

    std::thread thread_;
    std::mutex mutex_; // the two flags
    std::condition_variable changed_;
    bool woken_ = false;
    bool stopping_ = false;
    std::atomic<std::uint64_t> ticks_{0};
};

} // namespace tavrine
