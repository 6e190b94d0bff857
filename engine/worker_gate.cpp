#include "engine/worker_gate.h"

#include <atomic>
#include <system_error>
#include <thread>

namespace tavrine {

namespace {

std::atomic<WorkerKind>& gate() {
    static std::atomic<WorkerKind> running{WorkerKind::None};
    return running;
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
    return WorkerTicket(kind);
}

WorkerKind active_worker() {
    return gate().load();
}

bool start_worker(WorkerTicket ticket, std::function<void()> job) {
    if (!ticket) {
        return false;
    }
    try {
        // The ticket moves into the thread; if the thread cannot start, the copy dies here and
        // gives the gate back.
        std::thread([held = std::move(ticket), job = std::move(job)]() mutable {
            if (job) {
                job();
            }
            held.release();
        }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool start_worker(WorkerKind kind, std::function<void()> job) {
    return start_worker(admit_worker(kind), std::move(job));
}

} // namespace tavrine
