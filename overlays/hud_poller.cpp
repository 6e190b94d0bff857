#include "overlays/hud_poller.h"

#include <system_error>
#include <utility>

namespace tavrine {

bool HudPoller::ensure_thread() {
    if (!thread_.joinable()) {
        stopping_ = false;
        try {
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            thread_ = std::thread();
        }
    }
    return thread_.joinable();
}

void HudPoller::request(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (ensure_thread()) {
            job_ = std::move(job);
            job = nullptr;
        }
    }
    if (job) {
        job(); // no thread to be had: late is better than never
        return;
    }
    changed_.notify_all();
}

void HudPoller::repeat(std::function<void()> job, std::chrono::milliseconds interval, bool now) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!ensure_thread()) {
            if (!now) {
                return;
            }
        } else {
            repeat_job_ = job;
            interval_ = interval;
            const Clock::time_point from = last_run_ == Clock::time_point{} ? Clock::now() : last_run_;
            next_due_ = now ? Clock::now() : from + interval;
            changed_.notify_all();
            return;
        }
    }
    job(); // no thread: this poll at least, as a frame-driven loop would have made it
}

void HudPoller::cancel_repeat() {
    std::lock_guard<std::mutex> lock(mutex_);
    repeat_job_ = nullptr;
    last_run_ = {};
}

void HudPoller::wait_idle() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock,
                  [this] { return !job_ && !running_job_ && !(repeat_job_ && Clock::now() >= next_due_); });
}

void HudPoller::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable()) {
            return;
        }
        stopping_ = true;
        job_ = nullptr;
        repeat_job_ = nullptr;
        last_run_ = {};
    }
    changed_.notify_all();
    thread_.join();
    thread_ = std::thread();
}

void HudPoller::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (stopping_) {
            break;
        }
        if (!job_ && repeat_job_ && Clock::now() >= next_due_) {
            job_ = repeat_job_;
        }
        if (!job_) {
            if (repeat_job_) {
                changed_.wait_until(lock, next_due_);
            } else {
                changed_.wait(lock);
            }
            continue;
        }
        std::function<void()> job = std::move(job_);
        job_ = nullptr;
        running_job_ = true;
        if (repeat_job_) {
            last_run_ = Clock::now();
            next_due_ = last_run_ + interval_;
        }
        lock.unlock();
        job();
        lock.lock();
        running_job_ = false;
        changed_.notify_all();
    }
}

} // namespace tavrine
