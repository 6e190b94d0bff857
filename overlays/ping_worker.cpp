#include "overlays/ping_worker.h"

#include "platform/sensors.h"

#include <chrono>

namespace tavrine {

void PingWorker::request(Machine& machine, std::uint32_t address, std::uint32_t timeout_ms) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (busy_) {
            return;
        }
        busy_ = true;
        address_ = address;
        timeout_ms_ = timeout_ms;
    }
    if (!thread_.joinable()) {
        stopping_ = false;
        thread_ = std::thread([this, &machine] { run(machine); });
    }
    changed_.notify_all();
}

void PingWorker::stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    busy_ = false;
    answer_.store(-1);
}

bool PingWorker::wait_until_idle(int timeout_ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return !busy_; });
}

void PingWorker::run(Machine& machine) {
    // The handle lives on this thread from the first echo until the worker stops.
    std::unique_ptr<IcmpChannel> channel;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || busy_; });
        if (stopping_) {
            break;
        }
        const std::uint32_t address = address_;
        const std::uint32_t timeout_ms = timeout_ms_;
        lock.unlock();
        if (!channel) {
            channel = machine.sensors().open_icmp();
        }
        if (!channel) {
            answer_.store(-1);
        } else if (const auto round_trip = channel->echo(address, timeout_ms)) {
            answer_.store(static_cast<int>(*round_trip));
        }
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
    lock.unlock();
    channel.reset();
}

} // namespace tavrine
