#pragma once
// For the overlay thread's shutdown test: a picture whose paint sends a message to a window of
// the thread that made it, as a system call on the overlay thread may do.

#include "overlays/layered_overlay.h"

#include <atomic>
#include <memory>

namespace tavrine::test {

struct SendingPicture {
    std::shared_ptr<const LayeredPicture> picture;
    std::shared_ptr<std::atomic<bool>> sending; // set just before the send
    std::shared_ptr<std::atomic<int>> answered; // messages the window answered
};

// Makes the window on the calling thread; destroy it on the same thread with the function below.
SendingPicture make_sending_picture();
void destroy_sending_window();

} // namespace tavrine::test
