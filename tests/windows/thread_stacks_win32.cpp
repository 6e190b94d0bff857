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

// winedbg's "bt all" walks every process of the Wine session; only this one's threads are kept.
std::string own_threads_only(const std::string& output) {
    char own[32];
    std::snprintf(own, sizeof own, "in process %04lx ", GetCurrentProcessId());
    std::string kept;
    bool keep = false;
    std::size_t at = 0;
    while (at < output.size()) {
        std::size_t end = output.find('\n', at);
        end = end == std::string::npos ? output.size() : end + 1;
        const std::string line = output.substr(at, end - at);
        if (line.rfind("Backtracing for thread", 0) == 0) {
            keep = line.find(own) != std::string::npos;
        }
        if (keep) {
            kept += line;
        }
        at = end;
    }
    return kept;
}

void print_every_thread_stack() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (!under_wine()) {
        std::fprintf(stderr, "thread stacks: only captured under Wine\n");
        return;
    }
    // Into a file, not a pipe: while winedbg is attached every thread of this process stands
    // still, so nothing here could drain a pipe and winedbg would block on a full one.
    wchar_t folder[MAX_PATH];
    wchar_t file_name[MAX_PATH];
    if (GetTempPathW(MAX_PATH, folder) == 0 || GetTempFileNameW(folder, L"stk", 0, file_name) == 0) {
        std::fprintf(stderr, "thread stacks: no file to write them to\n");
        return;
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file =
        CreateFileW(file_name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "thread stacks: no file to write them to (error %lu)\n", GetLastError());
        return;
    }
    const std::wstring debugger = winedbg_path();
    std::wstring command =
        L"\"" + debugger + L"\" --command \"bt all\" " + std::to_wstring(GetCurrentProcessId());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = file;
    startup.hStdError = file;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(debugger.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "thread stacks: winedbg did not start (error %lu)\n", GetLastError());
        CloseHandle(file);
        return;
    }
    if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "thread stacks: winedbg did not finish within 120 s\n");
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string output;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        output.append(buffer, got);
    }
    CloseHandle(file);
    std::fprintf(stderr, "thread stacks of this process (winedbg):\n%s", own_threads_only(output).c_str());
    std::fflush(stderr);
}

} // namespace tavrine::test
