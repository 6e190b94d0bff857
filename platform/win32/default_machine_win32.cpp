#include "platform/default_machine.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_wide_text.h"

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <cstdlib>

namespace tavrine {

Machine& default_machine() {
    return win32_machine();
}

void close_library_search() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

std::vector<std::string> program_arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        // A lone surrogate matches no word or name the program knows: shown as U+FFFD.
        arguments.push_back(win32::shown_utf8_from_wide(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

namespace {
std::atomic<UINT> g_console_code_page{0}; // the console's own, given back at exit
void give_back_console_code_page() {
    SetConsoleOutputCP(g_console_code_page.load());
}
} // namespace

void use_utf8_console() {
    const UINT previous = GetConsoleOutputCP();
    // The console is the user's window, shared with the shell that started the program.
    if (previous != 0 && previous != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
        g_console_code_page.store(previous);
        std::atexit(give_back_console_code_page);
    }
}

} // namespace tavrine
