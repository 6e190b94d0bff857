#pragma once
// What a page reads that is slow to work out (the history, the module states): worked out on a
// background thread when asked, published whole, and read by the main thread without ever
// waiting for the work.

#include <atomic>
#include <memory>
#include <mutex>
#include <utility>

namespace tavrine {

// A value published whole: readers copy a pointer, a change makes a new value and swaps it in,
// so a published value never changes.
template <class Snapshot> class PublishedSnapshot {
public:
    std::shared_ptr<const Snapshot> get() const {
        std::lock_guard<std::mutex> hold(lock_);
        return current_;
    }
    // `change(Snapshot&)` edits a copy of the current value, which then replaces it.
    template <class Change> void change(Change&& change) {
        std::lock_guard<std::mutex> hold(lock_);
        auto next = std::make_shared<Snapshot>(*current_);
        std::forward<Change>(change)(*next);
        current_ = std::move(next);
    }

private:
    mutable std::mutex lock_;
    std::shared_ptr<const Snapshot> current_ = std::make_shared<const Snapshot>();
};

// One background thread at a time runs `work(request)`; a request made while it works is taken
// up when it ends, and only the latest of several waiting requests is (the latest request
// wins). Requests are numbers 0 and up.
class LatestRequestThread {
public:
    using Work = void (*)(int request);
    explicit LatestRequestThread(Work work) : work_(work) {}

    // Returns at once. When no thread can be started the request is dropped: the readers keep
    // the value they have.
    void request(int request);
    // True while the thread runs; for tests and clean shut-downs.
    bool active() const { return active_.load(); }

private:
    static constexpr int kNoRequest = -1;
    void run();

    Work work_;
    std::atomic<int> pending_{kNoRequest};
    std::atomic<bool> active_{false};
};

} // namespace tavrine
