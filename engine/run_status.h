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
    static constexpr std::size_t kCapacity = 191; // a 192-byte buffer with its terminator

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
    // Pages may clear run_in_progress while a worker still runs: engine/worker_gate.h is what
    // keeps a second worker out.
};

RunStatus& run_status();

// The label as a page shows it: null or empty reads "Working".
const char* shown_label(const char* label);

} // namespace tavrine
