#include "engine/snapshot_reader.h"

#include <system_error>
#include <thread>

namespace tavrine {

void LatestRequestThread::request(int request) {
    pending_.store(request);
    bool idle = false;
    if (!active_.compare_exchange_strong(idle, true)) {
        return; // the running thread takes it up
    }
    try {
        std::thread([this] { run(); }).detach();
    } catch (const std::system_error&) {
        active_.store(false);
    }
}

void LatestRequestThread::run() {
    for (;;) {
        const int request = pending_.exchange(kNoRequest);
        if (request != kNoRequest) {
            work_(request);
            continue;
        }
        active_.store(false);
        // A request made after the exchange above found this thread still running and left
        // itself here: take it up again unless a new thread already did.
        bool idle = false;
        if (pending_.load() == kNoRequest || !active_.compare_exchange_strong(idle, true)) {
            return;
        }
    }
}

} // namespace tavrine
