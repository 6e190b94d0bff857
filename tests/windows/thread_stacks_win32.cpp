// Every thread's stack of the test process, printed into the runner's log: what a worker that
// never ended was doing. Under Wine, winedbg attaches, prints a backtrace of each thread and
// detaches; on Windows there is no debugger to borrow and only the thread list is printed.
#include "tests/native/test_support.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace tavrine::test {

namespace {

bool under_wine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring winedbg_path() {
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return std::wstring(system, length) + L"\\winedbg.exe";
}

} // namespace

void print_every_thread_stack() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (!under_wine()) {
        std::fprintf(stderr, "thread stacks: only captured under Wine\n");
        return;
    }
    const std::wstring debugger = winedbg_path();
    std::wstring command = L"\"" + debugger + L"\" --command \"bt all\" " + std::to_wstring(GetCurrentProcessId());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::fprintf(stderr, "thread stacks (winedbg, bt all):\n");
    std::fflush(stderr);
    if (!CreateProcessW(debugger.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "thread stacks: winedbg did not start (error %lu)\n", GetLastError());
        return;
    }
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "thread stacks: winedbg did not finish within 60 s\n");
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace tavrine::test
