#include "platform/console_interrupt.h"

#include <atomic>
#include <csignal>

namespace tavrine {

namespace {

std::atomic<void (*)()> g_on_interrupt{nullptr};

extern "C" void on_sigint(int) {
    if (void (*const handler)() = g_on_interrupt.load()) {
        handler();
    }
}

} // namespace

ScopedConsoleInterrupt::ScopedConsoleInterrupt(void (*on_interrupt)()) {
    g_on_interrupt.store(on_interrupt);
    std::signal(SIGINT, on_sigint);
}

ScopedConsoleInterrupt::~ScopedConsoleInterrupt() {
    std::signal(SIGINT, SIG_DFL);
    g_on_interrupt.store(nullptr);
}

} // namespace tavrine
