#include "platform/win32/win32_processes.h"

#include "platform/win32/win32_entry_points.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_wide_text.h"

#include <psapi.h>
#include <tlhelp32.h>

namespace tavrine {

namespace {

struct SnapshotTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { CloseHandle(handle); }
};
using UniqueSnapshot = win32::UniqueHandle<HANDLE, SnapshotTraits>;

constexpr ULONG kProcessPowerThrottlingClass = 4; // PROCESS_INFORMATION_CLASS ProcessPowerThrottling
constexpr ULONG kProcessIoPriorityClass = 33;     // native PROCESSINFOCLASS ProcessIoPriority

struct PowerThrottlingRecord { // PROCESS_POWER_THROTTLING_STATE, 12 bytes
    ULONG version;
    ULONG control_mask;
    ULONG state_mask;
};
static_assert(sizeof(PowerThrottlingRecord) == 12);

using SetProcessInformationFn = BOOL(WINAPI*)(HANDLE, ULONG, LPVOID, DWORD);
using NtSetInformationProcessFn = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG);

std::optional<std::uint64_t> process_creation_time(HANDLE process) {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

class Win32ProcessHandle final : public ProcessHandle {
public:
    // `owned` is empty for the own process's pseudo handle, which must not be closed.
    Win32ProcessHandle(std::uint32_t pid, HANDLE handle, win32::UniqueKernelHandle owned)
        : pid_(pid), handle_(handle), owned_(std::move(owned)) {}

    std::uint32_t pid() const override { return pid_; }

    bool terminate(std::uint32_t exit_code, std::string_view /*reason*/) override {
        return TerminateProcess(handle_, exit_code) != FALSE;
    }
    std::optional<std::uint32_t> exit_code() override {
        DWORD code = 0;
        if (!GetExitCodeProcess(handle_, &code)) {
            return std::nullopt;
        }
        return code;
    }
    bool wait_for_exit(std::uint32_t wait_ms) override {
        return WaitForSingleObject(handle_, wait_ms) == WAIT_OBJECT_0;
    }
    std::optional<std::uint32_t> priority_class() override {
        const DWORD value = GetPriorityClass(handle_);
        return value != 0 ? std::optional<std::uint32_t>(value) : std::nullopt;
    }
    bool set_priority_class(std::uint32_t priority_class) override {
        return SetPriorityClass(handle_, priority_class) != FALSE;
    }
    bool set_priority_boost(bool disable) override {
        return SetProcessPriorityBoost(handle_, disable ? TRUE : FALSE) != FALSE;
    }
    bool set_power_throttling(const PowerThrottlingState& state) override {
        const auto set_information =
            win32::loaded_entry_point<SetProcessInformationFn>("kernel32.dll", "SetProcessInformation");
        if (set_information == nullptr) {
            return false;
        }
        PowerThrottlingRecord record{state.version, state.control_mask, state.state_mask};
        return set_information(handle_, kProcessPowerThrottlingClass, &record, sizeof record) != FALSE;
    }
    bool set_io_priority(std::uint32_t priority) override {
        const auto set_information =
            win32::loaded_entry_point<NtSetInformationProcessFn>("ntdll.dll", "NtSetInformationProcess");
        if (set_information == nullptr) {
            return false;
        }
        ULONG value = priority;
        return set_information(handle_, kProcessIoPriorityClass, &value, sizeof value) >= 0;
    }
    bool empty_working_set() override { return K32EmptyWorkingSet(handle_) != FALSE; }
    std::optional<std::uint64_t> creation_time() override { return process_creation_time(handle_); }
    std::optional<std::string> image_name() override {
        wchar_t path[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (!QueryFullProcessImageNameW(handle_, 0, path, &length) || length == 0) {
            return std::nullopt;
        }
        const std::wstring_view full(path, length);
        const std::size_t slash = full.find_last_of(L'\\');
        return win32::utf8_from_wide(slash == std::wstring_view::npos ? full : full.substr(slash + 1));
    }

private:
    std::uint32_t pid_;
    HANDLE handle_;
    win32::UniqueKernelHandle owned_;
};

class Win32ThreadHandle final : public ThreadHandle {
public:
    explicit Win32ThreadHandle(win32::UniqueKernelHandle handle) : handle_(std::move(handle)) {}

    std::optional<int> priority() override {
        const int value = GetThreadPriority(handle_.get());
        return value != THREAD_PRIORITY_ERROR_RETURN ? std::optional<int>(value) : std::nullopt;
    }
    bool set_priority(int priority) override { return SetThreadPriority(handle_.get(), priority) != FALSE; }
    bool set_priority_boost(bool disable) override {
        return SetThreadPriorityBoost(handle_.get(), disable ? TRUE : FALSE) != FALSE;
    }

private:
    win32::UniqueKernelHandle handle_;
};

} // namespace

std::vector<ProcessEntry> Win32Processes::list_processes() {
    std::vector<ProcessEntry> entries;
    UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return entries;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry; // 568: the wide record
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        // Up to the record's first null, never past its 260 units. A name that is no UTF-8 text
        // (a lone surrogate) matches no name the program knows: it stays listed, shown with
        // U+FFFD, so a process is never hidden from what counts or guards them.
        const std::wstring_view wide(entry.szExeFile, wcsnlen(entry.szExeFile, MAX_PATH));
        ProcessEntry listed{entry.th32ProcessID, entry.th32ParentProcessID,
                            win32::shown_utf8_from_wide(wide)};
        DWORD session = 0;
        if (ProcessIdToSessionId(entry.th32ProcessID, &session)) {
            listed.session_id = session;
        }
        win32::UniqueKernelHandle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (process) {
            listed.creation_time = process_creation_time(process.get()).value_or(0);
        }
        entries.push_back(std::move(listed));
    }
    return entries;
}

std::vector<ThreadEntry> Win32Processes::list_threads() {
    std::vector<ThreadEntry> entries;
    UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) {
        return entries;
    }
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry; // 28
    for (BOOL more = Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry)) {
        entries.push_back({entry.th32ThreadID, entry.th32OwnerProcessID});
    }
    return entries;
}

std::optional<std::string> Win32Processes::image_path(std::uint32_t pid) {
    win32::UniqueKernelHandle process(OpenProcess(kProcessQueryAndRead, FALSE, pid));
    if (!process) {
        return std::nullopt;
    }
    wchar_t path[MAX_PATH] = {};
    const DWORD length = K32GetModuleFileNameExW(process.get(), nullptr, path, MAX_PATH);
    if (length == 0) {
        return std::nullopt;
    }
    return win32::utf8_from_wide(std::wstring_view(path, length));
}

ProcessHandlePtr Win32Processes::open_process(std::uint32_t pid, std::uint32_t access) {
    win32::UniqueKernelHandle process(OpenProcess(access, FALSE, pid));
    if (!process) {
        return nullptr;
    }
    HANDLE raw = process.get();
    return std::make_unique<Win32ProcessHandle>(pid, raw, std::move(process));
}

ThreadHandlePtr Win32Processes::open_thread(std::uint32_t thread_id, std::uint32_t access) {
    win32::UniqueKernelHandle thread(OpenThread(access, FALSE, thread_id));
    if (!thread) {
        return nullptr;
    }
    return std::make_unique<Win32ThreadHandle>(std::move(thread));
}

ProcessHandlePtr Win32Processes::current_process() {
    return std::make_unique<Win32ProcessHandle>(GetCurrentProcessId(), GetCurrentProcess(),
                                                win32::UniqueKernelHandle());
}

std::uint32_t Win32Processes::current_process_id() {
    return GetCurrentProcessId();
}

std::vector<std::uint32_t> Win32Processes::process_ids() {
    std::vector<DWORD> ids(kMaxListedProcesses);
    DWORD bytes = 0;
    if (!K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) {
        return {};
    }
    return std::vector<std::uint32_t>(ids.begin(), ids.begin() + bytes / sizeof(DWORD));
}

std::optional<std::string> Win32Processes::main_module_name(std::uint32_t pid) {
    win32::UniqueKernelHandle process(OpenProcess(kProcessQueryAndRead, FALSE, pid));
    if (!process) {
        return std::nullopt;
    }
    HMODULE first = nullptr; // not owned: a module handle of another process is only a base address
    DWORD needed = 0;
    if (!K32EnumProcessModules(process.get(), &first, sizeof first, &needed)) {
        return std::nullopt;
    }
    wchar_t name[MAX_PATH] = {};
    const DWORD length = K32GetModuleBaseNameW(process.get(), first, name, MAX_PATH);
    if (length == 0) {
        return std::nullopt;
    }
    return win32::utf8_from_wide(std::wstring_view(name, length));
}

std::optional<std::uint32_t> Win32Processes::session_of(std::uint32_t pid) {
    DWORD session = 0;
    if (!ProcessIdToSessionId(pid, &session)) {
        return std::nullopt;
    }
    return session;
}

bool Win32Processes::is_running(std::uint32_t pid) {
    win32::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) {
        // Access denied means it is there but guarded; anything else (an unknown id) means gone.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD code = 0;
    return GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE;
}

} // namespace tavrine
