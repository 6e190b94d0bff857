#include "platform/console_interrupt.h"

#include <windows.h>

#include <atomic>

namespace tavrine {

namespace {

std::atomic<void (*)()> g_on_interrupt{nullptr};

BOOL WINAPI on_console_event(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE; // closing the console or logging off: the default handling
    }
    if (void (*const handler)() = g_on_interrupt.load()) {
        handler();
        return TRUE;
    }
    return FALSE;
}

} // namespace

ScopedConsoleInterrupt::ScopedConsoleInterrupt(void (*on_interrupt)()) {
    g_on_interrupt.store(on_interrupt);
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

ScopedConsoleInterrupt::~ScopedConsoleInterrupt() {
    SetConsoleCtrlHandler(on_console_event, FALSE);
    g_on_interrupt.store(nullptr);
}

} // namespace tavrine
