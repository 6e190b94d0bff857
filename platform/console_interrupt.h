#pragma once
// Ctrl+C at the console, turned into a request instead of the end of the process, so that a
// run can stop at a step boundary and close its history.

namespace tavrine {

// While this lives, Ctrl+C and Ctrl+Break call `on_interrupt` (SetConsoleCtrlHandler on
// Windows, SIGINT elsewhere) and the process goes on. `on_interrupt` runs on a thread of the
// system's or in a signal handler: it may only set an atomic flag.
class ScopedConsoleInterrupt {
public:
    explicit ScopedConsoleInterrupt(void (*on_interrupt)());
    ~ScopedConsoleInterrupt();
    ScopedConsoleInterrupt(const ScopedConsoleInterrupt&) = delete;
    ScopedConsoleInterrupt& operator=(const ScopedConsoleInterrupt&) = delete;
};

} // namespace tavrine
