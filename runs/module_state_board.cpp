#include "runs/module_state_board.h"

#include "platform/machine.h"

#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

namespace tavrine {

namespace {

constexpr int kNoRequest = -1;

// The published snapshot: swapped whole under this lock, never changed once published.
std::mutex g_board_lock;
std::shared_ptr<const ModuleStateSnapshot> g_board = std::make_shared<const ModuleStateSnapshot>();

std::atomic<int> g_pending{kNoRequest};
std::atomic<bool> g_worker_active{false};

void publish(const std::vector<ModuleStateRow>& rows) {
    std::lock_guard<std::mutex> lock(g_board_lock);
    auto next = std::make_shared<ModuleStateSnapshot>(*g_board);
    for (const ModuleStateRow& row : rows) {
        if (row.module) {
            (*next)[static_cast<std::size_t>(*row.module)] = row.state;
        } else if (row.step_label == std::string_view("CPU cull")) {
            for (const ModuleInfo& info : module_table()) {
                if (is_cull_option(info.module)) {
                    (*next)[static_cast<std::size_t>(info.module)] = row.state;
                }
            }
        }
    }
    g_board = std::move(next);
}

void compute_requests() {
    for (;;) {
        const int path = g_pending.exchange(kNoRequest);
        if (path != kNoRequest) {
            // No override is installed on this thread, so this is the process-wide machine.
            publish(compute_module_states(static_cast<PathKind>(path), current_machine()));
            continue;
        }
        g_worker_active.store(false);
        // A request made after the exchange above found this thread still running and left
        // its path here: take it up again unless a new thread already did.
        bool idle = false;
        if (g_pending.load() == kNoRequest || !g_worker_active.compare_exchange_strong(idle, true)) {
            return;
        }
    }
}

} // namespace

void request_module_states(PathKind path) {
    g_pending.store(static_cast<int>(path));
    bool idle = false;
    if (!g_worker_active.compare_exchange_strong(idle, true)) {
        return; // the running thread takes it up
    }
    try {
        std::thread(compute_requests).detach();
    } catch (const std::system_error&) {
        // No thread: the pages keep the states they have.
        g_worker_active.store(false);
    }
}

std::shared_ptr<const ModuleStateSnapshot> module_states() {
    std::lock_guard<std::mutex> lock(g_board_lock);
    return g_board;
}

bool module_state_worker_active() {
    return g_worker_active.load();
}

} // namespace tavrine
