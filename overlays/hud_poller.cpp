#include "overlays/hud_poller.h"

#include <system_error>
#include <utility>

namespace tavrine {

void HudPoller::request(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable()) {
            stopping_ = false;
            try {
                thread_ = std::thread([this] { run(); });
            } catch (const std::system_error&) {
                thread_ = std::thread();
            }
        }
        if (thread_.joinable()) {
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

void HudPoller::wait_idle() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !job_ && !running_job_; });
}

void HudPoller::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable()) {
            return;
        }
        stopping_ = true;
        job_ = nullptr;
    }
    changed_.notify_all();
    thread_.join();
    thread_ = std::thread();
}

void HudPoller::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || job_; });
        if (stopping_) {
            break;
        }
        std::function<void()> job = std::move(job_);
        job_ = nullptr;
        running_job_ = true;
        lock.unlock();
        job();
        lock.lock();
        running_job_ = false;
        changed_.notify_all();
    }
}

} // namespace tavrine
