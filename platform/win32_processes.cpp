#include "platform/win32_processes.h"

#include "platform/win32_handles.h"

#include <tlhelp32.h>

namespace tavrine {

namespace {

struct SnapshotTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { CloseHandle(handle); }
};
using UniqueSnapshot = win32::UniqueHandle<HANDLE, SnapshotTraits>;

} // namespace

std::vector<ProcessEntry> Win32Processes::list_processes() {
    std::vector<ProcessEntry> entries;
    UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return entries;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        entries.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    }
    return entries;
}

std::optional<std::string> Win32Processes::image_path(std::uint32_t pid) {
    win32::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) {
        return std::nullopt;
    }
    char path[MAX_PATH];
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameA(process.get(), 0, path, &size)) {
        return std::nullopt;
    }
    return std::string(path, size);
}

} // namespace tavrine
