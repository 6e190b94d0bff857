#pragma once
// The HUD's poll and redraw on a thread of its own, which also keeps the poll interval: under
// Wine the sensor calls of one poll cost a millisecond or more, and the panel must go on
// updating while the main window draws no frame (minimised, covered). The main thread only
// hands over the job (the latest replaces one not yet started) and goes on.
// The sensors and the readings are touched by that thread alone, except while it is idle.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tavrine {

class HudPoller {
public:
    HudPoller() = default;
    ~HudPoller() { stop(); }
    HudPoller(const HudPoller&) = delete;
    HudPoller& operator=(const HudPoller&) = delete;

    // Runs `job` on the poll thread (started on first use; run here when it cannot start).
    void request(std::function<void()> job);
    // Runs `job` every `interval` from now on: at once when `now`, otherwise one interval after
    // the previous run. Replaces the job repeated so far.
    void repeat(std::function<void()> job, std::chrono::milliseconds interval, bool now);
    // No more repeats; a job already handed over still runs.
    void cancel_repeat();
    // Returns once no job is waiting or running: the sensors can then be closed safely.
    void wait_idle();
    // Drops a job not yet started, waits for a running one and ends the thread.
    void stop();

private:
    using Clock = std::chrono::steady_clock;
    bool ensure_thread(); // under mutex_
    void run();

    std::thread thread_;
    std::mutex mutex_; // everything below
    std::condition_variable changed_;
    std::function<void()> job_;
    std::function<void()> repeat_job_;
    std::chrono::milliseconds interval_{0};
    Clock::time_point last_run_{};
    Clock::time_point next_due_{};
    bool running_job_ = false;
    bool stopping_ = false;
};

} // namespace tavrine
