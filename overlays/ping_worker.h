#pragma once
// The ICMP echo on a thread of its own: at most one echo in flight, its answer published
// atomically, so a poll only ever reads the last answer and never waits for the network.

#include "platform/machine.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace tavrine {

// The address the HUD pings (1.1.1.1), in network order as the echo takes it.
inline constexpr std::uint32_t kPingAddress = 0x01010101;
// The echo's time-out.
inline constexpr std::uint32_t kPingTimeoutMs = 180;

class PingWorker {
public:
    PingWorker() = default;
    ~PingWorker() { stop(); }
    PingWorker(const PingWorker&) = delete;
    PingWorker& operator=(const PingWorker&) = delete;

    // Starts the thread on first use (with `machine`'s ICMP handle); queues one echo to
    // `address` unless one is waiting or in flight.
    void request(Machine& machine, std::uint32_t address, std::uint32_t timeout_ms);
    // The last round-trip time in ms; -1 when the ICMP handle cannot be opened or no echo has
    // been answered yet.
    int last_answer() const { return answer_.load(); }
    bool running() const { return thread_.joinable(); }
    // Ends the thread (waiting for an echo in flight) and closes the handle; forgets the answer.
    void stop();
    // True once no echo is waiting or in flight (waits up to `timeout_ms`).
    bool wait_until_idle(int timeout_ms);

private:
    void run(Machine& machine);

    std::thread thread_;
    std::mutex mutex_; // guards everything below but the answer
    std::condition_variable changed_;
    bool stopping_ = false;
    bool busy_ = false; // an echo is waiting or in flight
    std::uint32_t address_ = 0;
    std::uint32_t timeout_ms_ = 0;
    std::atomic<int> answer_{-1};
};

} // namespace tavrine
