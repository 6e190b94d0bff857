#pragma once
// The progress record shared by the pipeline worker, the deploy thread and the pages.

#include "engine/paths.h"

#include <atomic>
#include <mutex>
#include <string>

namespace tavrine {

// A status line any thread may set; readers always get a whole text, never a half-written one.
class StatusMessage {
public:
    static constexpr std::size_t kCapacity = 191; // one line under a page's buttons; longer is cut

    explicit StatusMessage(std::size_t capacity = kCapacity) : capacity_(capacity) {}
    void set(std::string_view text);
    std::string get() const;

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::string text_;
};

struct RunStatus {
    std::atomic<const char*> current_label{"Done"}; // only ever constant texts
    std::atomic<int> completed_steps{0};
    std::atomic<int> total_steps{0};
    std::atomic<bool> run_in_progress{false};
    std::atomic<bool> deploy_in_progress{false};
    std::atomic<bool> result_veil_shown{false};
    std::atomic<PathKind> last_path{PathKind::All};
    StatusMessage status_message;
    // hide_run_result clears run_in_progress while a worker may still run:
    // engine/worker_gate.h is what keeps a second worker out.
};

RunStatus& run_status();

// What the front ends do to a run's display; they never write RunStatus fields themselves.
// A run (or deploy) seen to its last step: its result shows and the busy state ends.
void show_run_result();
// The window moved on: the result and the progress display go away. A worker still running is
// not stopped; the worker gate keeps the next one out until it ends.
void hide_run_result();
// The result's "Done": as hide_run_result, and a deploy's busy state ends with it.
void dismiss_run_result();

// The label as a page shows it: null or empty reads "Working".
const char* shown_label(const char* label);

} // namespace tavrine
