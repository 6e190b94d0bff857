#pragma once
// The one door every worker thread goes through. Only one worker runs at a time, whatever it
// does (a path run, a title deploy, a restore point, a GPU profile): they all write the same
// machine-wide state, and pages may clear `run_in_progress` while a worker still runs, so the
// busy flags alone cannot keep a second one out.

#include <chrono>
#include <cstdint>
#include <functional>

namespace tavrine {

enum class WorkerKind : std::uint8_t {
    None,
    Pipeline,
    Deploy,
    RestorePoint,
    GpuTune,
};

// The right to run one worker. Admission takes the gate; the ticket gives it back when it is
// destroyed (or released), so a worker that ends, or a thread that never started, frees it.
class WorkerTicket {
public:
    WorkerTicket() = default;
    ~WorkerTicket() { release(); }
    WorkerTicket(WorkerTicket&& other) noexcept : kind_(other.kind_) { other.kind_ = WorkerKind::None; }
    WorkerTicket& operator=(WorkerTicket&& other) noexcept;
    WorkerTicket(const WorkerTicket&) = delete;
    WorkerTicket& operator=(const WorkerTicket&) = delete;

    explicit operator bool() const { return kind_ != WorkerKind::None; }
    void release();

private:
    friend WorkerTicket admit_worker(WorkerKind kind);
    explicit WorkerTicket(WorkerKind kind) : kind_(kind) {}
    WorkerKind kind_ = WorkerKind::None;
};

// An admitted ticket, or an empty one while another worker runs.
WorkerTicket admit_worker(WorkerKind kind);

// The worker running now, None when the gate is free.
WorkerKind active_worker();

// Runs `job` on a thread that holds `ticket` until the job returns. The gate keeps the thread
// and joins it (when the next worker starts, or in join_worker): a worker is never left to run
// on while the objects it uses are destroyed. False, with the ticket given back, when the
// ticket is empty or the system refuses a new thread.
bool start_worker(WorkerTicket ticket, std::function<void()> job);
// Admission and start in one: false when another worker runs or no thread could start.
bool start_worker(WorkerKind kind, std::function<void()> job);

// Asks the running worker to stop at its next step boundary: the step under way finishes, and
// the run's history says where it stopped. Cleared when the next worker is admitted.
void request_worker_stop();
bool worker_stop_requested();

// Waits up to `bound` for the worker started last to end, and joins it. True when no worker is
// left running (none was, or it ended); false when it was still at work after `bound`.
bool join_worker(std::chrono::milliseconds bound);

} // namespace tavrine
