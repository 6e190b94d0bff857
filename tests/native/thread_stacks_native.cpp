// Natively the sanitizer builds and a debugger show a stuck worker; the Windows runner prints
// every thread's stack itself (tests/windows/thread_stacks_win32.cpp).
#include "tests/native/test_support.h"

#include <cstdio>

namespace tavrine::test {

void print_every_thread_stack() {
    std::fprintf(stderr, "thread stacks: only captured under Wine (attach gdb to see them here)\n");
}

} // namespace tavrine::test
