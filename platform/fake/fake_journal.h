#pragma once
// What the fakes of every concern share: one lock for the whole fake machine and one journal
// of its effects in order. One lock is enough: tests are small and the worker is one thread.

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace tavrine {

class FakeJournal {
public:
    FakeJournal() = default;
    FakeJournal(const FakeJournal&) = delete;
    FakeJournal& operator=(const FakeJournal&) = delete;

    // Recursive: a fake holding it may add a line or call another fake.
    std::recursive_mutex& lock() const { return mutex_; }

    void add(std::string line) {
        std::lock_guard<std::recursive_mutex> hold(mutex_);
        lines_.push_back(std::move(line));
    }

    // Every effect in order, one line each, in the same words as the preview.
    std::vector<std::string> lines() const {
        std::lock_guard<std::recursive_mutex> hold(mutex_);
        return lines_;
    }

private:
    mutable std::recursive_mutex mutex_;
    std::vector<std::string> lines_;
};

} // namespace tavrine
