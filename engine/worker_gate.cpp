#include "engine/worker_gate.h"

#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

namespace tavrine {

namespace {

std::atomic<WorkerKind>& gate() {
    static std::atomic<WorkerKind> running{WorkerKind::None};
    return running;
}

std::atomic<bool>& stop_request() {
    static std::atomic<bool> requested{false};
    return requested;
}

// The thread of the worker started last, to join: one small lock, taken by the thread that
// starts a worker and the one that joins it, never by a worker.
struct WorkerThread {
    std::mutex lock;
    std::thread thread;
};
WorkerThread& worker_thread() {
    static WorkerThread* const slot = new WorkerThread; // never destroyed: see join_worker
    return *slot;
}

} // namespace

WorkerTicket& WorkerTicket::operator=(WorkerTicket&& other) noexcept {
    if (this != &other) {
        release();
        kind_ = other.kind_;
        other.kind_ = WorkerKind::None;
    }
    return *this;
}

void WorkerTicket::release() {
    if (kind_ != WorkerKind::None) {
        kind_ = WorkerKind::None;
        gate().store(WorkerKind::None);
    }
}

WorkerTicket admit_worker(WorkerKind kind) {
    WorkerKind idle = WorkerKind::None;
    if (kind == WorkerKind::None || !gate().compare_exchange_strong(idle, kind)) {
        return {};
    }
    stop_request().store(false);
    return WorkerTicket(kind);
}

WorkerKind active_worker() {
    return gate().load();
}

bool start_worker(WorkerTicket ticket, std::function<void()> job) {
    if (!ticket) {
        return false;
    }
    WorkerThread& slot = worker_thread();
    const std::lock_guard<std::mutex> lock(slot.lock);
    if (slot.thread.joinable()) {
        slot.thread.join(); // the last worker gave the gate back as its last act: it has ended
    }
    try {
        // The ticket moves into the thread; if the thread cannot start, the copy dies here and
        // gives the gate back.
        slot.thread = std::thread([held = std::move(ticket), job = std::move(job)]() mutable {
            if (job) {
                job();
            }
            held.release();
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void request_worker_stop() {
    stop_request().store(true);
}

bool worker_stop_requested() {
    return stop_request().load();
}

bool join_worker(std::chrono::milliseconds bound) {
    WorkerThread& slot = worker_thread();
    const std::lock_guard<std::mutex> lock(slot.lock);
    if (!slot.thread.joinable()) {
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + bound;
    // The gate is given back when the job has returned; only then is the join quick.
    while (active_worker() != WorkerKind::None) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false; // still at work: the caller must not destroy what it uses
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    slot.thread.join();
    return true;
}

bool start_worker(WorkerKind kind, std::function<void()> job) {
    return start_worker(admit_worker(kind), std::move(job));
}

} // namespace tavrine
