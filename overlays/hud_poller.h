#pragma once
// The HUD's poll and redraw on a thread of its own. Under Wine the sensor calls of one poll
// cost a millisecond or more, and building and publishing the panel a little more: the main
// thread only hands over the next job (the latest replaces one not yet started) and goes on.
// The sensors and the readings are touched by that thread alone, except while it is idle.

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
    // Returns once no job is waiting or running: the sensors can then be closed safely.
    void wait_idle();
    // Drops a job not yet started, waits for a running one and ends the thread.
    void stop();

private:
    void run();

    std::thread thread_;
    std::mutex mutex_; // everything below
    std::condition_variable changed_;
    std::function<void()> job_;
    bool running_job_ = false;
    bool stopping_ = false;
};

} // namespace tavrine
