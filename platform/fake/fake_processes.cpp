#include "platform/fake/fake_processes.h"

#include "platform/ascii.h"
#include "platform/fake/fake_journal.h"
#include "platform/machine.h"
#include "platform/process_change_text.h"

#include <algorithm>
#include <cstdlib>

namespace tavrine {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

constexpr std::uint32_t kProcessQueryInformation = 0x0400;
constexpr std::uint32_t kThreadSetLimitedInformation = 0x0400;
constexpr std::uint32_t kThreadQueryLimitedInformation = 0x0800;

bool has(std::uint32_t access, std::uint32_t rights) {
    return (access & rights) != 0;
}

// Splits a command into words, keeping quoted words whole and stopping at redirections.
std::vector<std::string> command_words(std::string_view command) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < command.size()) {
        while (i < command.size() && command[i] == ' ') {
            ++i;
        }
        if (i >= command.size()) {
            break;
        }
        std::string word;
        if (command[i] == '"') {
            const std::size_t end = command.find('"', i + 1);
            word = std::string(command.substr(i + 1, end == std::string_view::npos ? end : end - i - 1));
            i = end == std::string_view::npos ? command.size() : end + 1;
        } else {
            const std::size_t end = command.find(' ', i);
            word = std::string(command.substr(i, end == std::string_view::npos ? end : end - i));
            i = end == std::string_view::npos ? command.size() : end;
        }
        if (word.find('>') != std::string::npos) {
            break;
        }
        words.push_back(std::move(word));
    }
    return words;
}

class FakeProcessHandle final : public ProcessHandle {
public:
    FakeProcessHandle(FakeProcesses& processes, std::uint32_t pid, std::uint32_t access)
        : processes_(processes), pid_(pid), access_(access) {}

    std::uint32_t pid() const override { return pid_; }

    bool terminate(std::uint32_t exit_code, std::string_view reason) override {
        Lock lock(processes_.journal().lock());
        FakeProcess* process = running(kProcessTerminate);
        if (process == nullptr || process->terminate_fails) {
            return false;
        }
        processes_.journal().add(describe_kill(pid_, reason.empty() ? process->exe_name : reason));
        processes_.end_process(pid_, exit_code);
        return true;
    }

    std::optional<std::uint32_t> exit_code() override {
        Lock lock(processes_.journal().lock());
        if (!has(access_, kProcessQueryLimitedInformation | kProcessQueryInformation)) {
            return std::nullopt;
        }
        if (processes_.find(pid_) != nullptr) {
            return kStillActiveCode;
        }
        return processes_.ended_with(pid_);
    }

    bool wait_for_exit(std::uint32_t /*wait_ms*/) override {
        Lock lock(processes_.journal().lock());
        // The fake's processes end at once or never, so there is nothing to wait for.
        return has(access_, kSynchronize) && processes_.find(pid_) == nullptr;
    }

    std::optional<std::uint32_t> priority_class() override {
        Lock lock(processes_.journal().lock());
        FakeProcess* process = running(kProcessQueryLimitedInformation | kProcessQueryInformation);
        return process != nullptr ? std::optional<std::uint32_t>(process->priority_class) : std::nullopt;
    }

    bool set_priority_class(std::uint32_t priority_class) override {
        Lock lock(processes_.journal().lock());
        FakeProcess* process = running(kProcessSetInformation);
        if (process == nullptr) {
            return false;
        }
        process->priority_class = priority_class;
        processes_.journal().add(describe_priority_class(pid_, process->exe_name, priority_class));
        return true;
    }

    bool set_priority_boost(bool disable) override {
        Lock lock(processes_.journal().lock());
        FakeProcess* process = running(kProcessSetInformation);
        if (process == nullptr) {
            return false;
        }
        process->boost_disabled = disable;
        processes_.journal().add(describe_priority_boost(pid_, process->exe_name, disable));
        return true;
    }

    bool set_power_throttling(const PowerThrottlingState& state) override {
        Lock lock(processes_.journal().lock());
        FakeProcess* process = running(kProcessSetInformation);
        if (process == nullptr ||
            processes_.security().resolve_optional("kernel32.dll", "SetProcessInformation") == nullptr) {
            return false;
        }
        process->throttling = state;
        processes_.journal().add(describe_power_throttling(pid_, process->exe_name, state));
        return true;
    }

    bool set_io_priority(std::uint32_t priority) override {
        Lock lock(processes_.journal().lock());
        FakeProcess* process = running(kProcessSetInformation);
        if (process == nullptr ||
            processes_.security().resolve_optional("ntdll.dll", "NtSetInformationProcess") == nullptr) {
            return false;
        }
        process->io_priority = priority;
        processes_.journal().add(describe_io_priority(pid_, process->exe_name, priority));
        return true;
    }

    bool empty_working_set() override {
        Lock lock(processes_.journal().lock());
        // K32EmptyWorkingSet needs both quota and query rights.
        if (!has(access_, kProcessQueryLimitedInformation | kProcessQueryInformation)) {
            return false;
        }
        FakeProcess* process = running(kProcessSetQuota);
        if (process == nullptr) {
            return false;
        }
        ++process->working_set_trims;
        processes_.journal().add(describe_empty_working_set(pid_, process->exe_name));
        return true;
    }

    std::optional<std::uint64_t> creation_time() override {
        Lock lock(processes_.journal().lock());
        FakeProcess* process = running(kProcessQueryLimitedInformation | kProcessQueryInformation);
        return process != nullptr ? std::optional<std::uint64_t>(process->creation_time) : std::nullopt;
    }

    std::optional<std::string> image_name() override {
        Lock lock(processes_.journal().lock());
        FakeProcess* process = running(kProcessQueryLimitedInformation | kProcessQueryInformation);
        return process != nullptr ? std::optional<std::string>(process->exe_name) : std::nullopt;
    }

private:
    static constexpr std::uint32_t kStillActiveCode = 259;

    FakeProcess* running(std::uint32_t needed_rights) {
        if (!has(access_, needed_rights)) {
            return nullptr;
        }
        return processes_.find(pid_);
    }

    FakeProcesses& processes_;
    std::uint32_t pid_;
    std::uint32_t access_;
};

class FakeThreadHandle final : public ThreadHandle {
public:
    FakeThreadHandle(FakeProcesses& processes, std::uint32_t thread_id, std::uint32_t access)
        : processes_(processes), thread_id_(thread_id), access_(access) {}

    std::optional<int> priority() override {
        Lock lock(processes_.journal().lock());
        std::uint32_t owner = 0;
        FakeThread* thread = running(kThreadQueryInformation | kThreadQueryLimitedInformation, owner);
        return thread != nullptr ? std::optional<int>(thread->priority) : std::nullopt;
    }

    bool set_priority(int priority) override {
        Lock lock(processes_.journal().lock());
        std::uint32_t owner = 0;
        FakeThread* thread = running(kThreadSetInformation | kThreadSetLimitedInformation, owner);
        if (thread == nullptr) {
            return false;
        }
        thread->priority = priority;
        processes_.journal().add(describe_thread_priority(thread_id_, owner, priority));
        return true;
    }

    bool set_priority_boost(bool disable) override {
        Lock lock(processes_.journal().lock());
        std::uint32_t owner = 0;
        FakeThread* thread = running(kThreadSetInformation | kThreadSetLimitedInformation, owner);
        if (thread == nullptr) {
            return false;
        }
        thread->boost_disabled = disable;
        processes_.journal().add(describe_thread_priority_boost(thread_id_, owner, disable));
        return true;
    }

private:
    FakeThread* running(std::uint32_t needed_rights, std::uint32_t& owner) {
        if (!has(access_, needed_rights)) {
            return nullptr;
        }
        return processes_.find_thread(thread_id_, &owner);
    }

    FakeProcesses& processes_;
    std::uint32_t thread_id_;
    std::uint32_t access_;
};

} // namespace

// [SECTION] Processes interface ---------------------------------------------------------------

std::vector<ProcessEntry> FakeProcesses::list_processes() {
    Lock lock(journal_.lock());
    std::vector<ProcessEntry> entries;
    if (fail_snapshots_) {
        return entries;
    }
    entries.reserve(table_.size());
    for (const FakeProcess& process : table_) {
        // As the real snapshot: a process that refuses even a query gives no creation time.
        const bool queried = (process.denied_access & kProcessQueryLimitedInformation) == 0;
        entries.push_back({process.pid, process.parent_pid, process.exe_name, process.session_id,
                           queried ? process.creation_time : 0});
    }
    if (std::function<void()> change = std::move(after_next_snapshot_)) {
        after_next_snapshot_ = nullptr;
        change();
    }
    return entries;
}

std::vector<ThreadEntry> FakeProcesses::list_threads() {
    Lock lock(journal_.lock());
    std::vector<ThreadEntry> entries;
    if (fail_snapshots_) {
        return entries;
    }
    for (const FakeProcess& process : table_) {
        for (const FakeThread& thread : process.threads) {
            entries.push_back({thread.thread_id, process.pid});
        }
    }
    return entries;
}

std::optional<std::string> FakeProcesses::image_path(std::uint32_t pid) {
    Lock lock(journal_.lock());
    const FakeProcess* process = find(pid);
    if (process == nullptr || process->image_path.empty() ||
        (process->denied_access & kProcessQueryAndRead) != 0) {
        return std::nullopt;
    }
    return process->image_path;
}

ProcessHandlePtr FakeProcesses::open_process(std::uint32_t pid, std::uint32_t access) {
    Lock lock(journal_.lock());
    const FakeProcess* process = find(pid);
    if (process == nullptr || (process->denied_access & access) != 0) {
        return nullptr;
    }
    return std::make_unique<FakeProcessHandle>(*this, pid, access);
}

ThreadHandlePtr FakeProcesses::open_thread(std::uint32_t thread_id, std::uint32_t access) {
    Lock lock(journal_.lock());
    std::uint32_t owner_pid = 0;
    const FakeThread* thread = find_thread(thread_id, &owner_pid);
    if (thread == nullptr || (thread->denied_access & access) != 0) {
        return nullptr;
    }
    return std::make_unique<FakeThreadHandle>(*this, thread_id, access);
}

ProcessHandlePtr FakeProcesses::current_process() {
    Lock lock(journal_.lock());
    return std::make_unique<FakeProcessHandle>(*this, own_.pid, 0x1FFFFF);
}

std::uint32_t FakeProcesses::current_process_id() {
    Lock lock(journal_.lock());
    return own_.pid;
}

bool FakeProcesses::is_running(std::uint32_t pid) {
    Lock lock(journal_.lock());
    return find(pid) != nullptr;
}

std::vector<std::uint32_t> FakeProcesses::process_ids() {
    Lock lock(journal_.lock());
    std::vector<std::uint32_t> ids;
    if (fail_snapshots_) {
        return ids;
    }
    for (const FakeProcess& process : table_) {
        if (ids.size() == kMaxListedProcesses) {
            break; // the real buffer is full: later processes are not listed
        }
        ids.push_back(process.pid);
    }
    return ids;
}

std::optional<std::string> FakeProcesses::main_module_name(std::uint32_t pid) {
    Lock lock(journal_.lock());
    const FakeProcess* process = find(pid);
    if (process == nullptr || (process->denied_access & kProcessQueryAndRead) != 0) {
        return std::nullopt;
    }
    return process->exe_name;
}

std::optional<std::uint32_t> FakeProcesses::session_of(std::uint32_t pid) {
    Lock lock(journal_.lock());
    const FakeProcess* process = find(pid);
    return process != nullptr ? std::optional<std::uint32_t>(process->session_id) : std::nullopt;
}

// [SECTION] Set-up and inspection ---------------------------------------------------------------

void FakeProcesses::add(FakeProcess process) {
    Lock lock(journal_.lock());
    ended_.erase(process.pid);
    if (process.creation_time == 0) {
        process.creation_time = next_creation_time_++;
    }
    if (FakeProcess* existing = find(process.pid); existing != nullptr && existing != &own_) {
        *existing = std::move(process);
        return;
    }
    table_.push_back(std::move(process));
}

void FakeProcesses::remove(std::uint32_t pid) {
    Lock lock(journal_.lock());
    table_.erase(std::remove_if(table_.begin(), table_.end(),
                                [pid](const FakeProcess& process) { return process.pid == pid; }),
                 table_.end());
}

void FakeProcesses::set_current_process_id(std::uint32_t pid) {
    Lock lock(journal_.lock());
    own_.pid = pid;
}

std::optional<FakeProcess> FakeProcesses::get(std::uint32_t pid) const {
    Lock lock(journal_.lock());
    const FakeProcess* process = const_cast<FakeProcesses*>(this)->find(pid);
    return process != nullptr ? std::optional<FakeProcess>(*process) : std::nullopt;
}

std::optional<FakeThread> FakeProcesses::thread(std::uint32_t thread_id) const {
    Lock lock(journal_.lock());
    const FakeThread* found = const_cast<FakeProcesses*>(this)->find_thread(thread_id, nullptr);
    return found != nullptr ? std::optional<FakeThread>(*found) : std::nullopt;
}

std::optional<std::uint32_t> FakeProcesses::ended_with(std::uint32_t pid) const {
    Lock lock(journal_.lock());
    auto it = ended_.find(pid);
    return it != ended_.end() ? std::optional<std::uint32_t>(it->second) : std::nullopt;
}

std::size_t FakeProcesses::count() const {
    Lock lock(journal_.lock());
    return table_.size();
}

void FakeProcesses::fail_snapshots(bool fail) {
    Lock lock(journal_.lock());
    fail_snapshots_ = fail;
}

void FakeProcesses::after_next_snapshot(std::function<void()> change) {
    Lock lock(journal_.lock());
    after_next_snapshot_ = std::move(change);
}

// [SECTION] Ending processes ----------------------------------------------------------------------

FakeProcess* FakeProcesses::find(std::uint32_t pid) {
    for (FakeProcess& process : table_) {
        if (process.pid == pid) {
            return &process;
        }
    }
    return pid == own_.pid ? &own_ : nullptr;
}

FakeThread* FakeProcesses::find_thread(std::uint32_t thread_id, std::uint32_t* owner_pid) {
    for (FakeProcess& process : table_) {
        for (FakeThread& thread : process.threads) {
            if (thread.thread_id == thread_id) {
                if (owner_pid != nullptr) {
                    *owner_pid = process.pid;
                }
                return &thread;
            }
        }
    }
    return nullptr;
}

void FakeProcesses::end_process(std::uint32_t pid, std::uint32_t exit_code) {
    Lock lock(journal_.lock());
    const auto before = table_.size();
    remove(pid);
    if (table_.size() != before) {
        ended_[pid] = exit_code;
    }
}

void FakeProcesses::end_tree(std::uint32_t pid, std::uint32_t exit_code, bool forced) {
    std::vector<std::uint32_t> children;
    for (const FakeProcess& process : table_) {
        if (process.parent_pid == pid && process.pid != pid) {
            children.push_back(process.pid);
        }
    }
    for (std::uint32_t child : children) {
        end_tree(child, exit_code, forced);
    }
    FakeProcess* process = find(pid);
    if (process == nullptr || process == &own_) {
        return;
    }
    if (forced ? process->survives_taskkill : process->stays_open_on_close) {
        return;
    }
    end_process(pid, exit_code);
}

void FakeProcesses::on_command(std::string_view command) {
    Lock lock(journal_.lock());
    const std::vector<std::string> words = command_words(command);
    if (words.empty() || !iequals(words[0], "taskkill")) {
        return;
    }
    bool forced = false;
    bool tree = false;
    std::optional<std::uint32_t> by_pid;
    std::optional<std::string> by_name;
    std::optional<std::uint32_t> in_session; // /FI "SESSION eq N"
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (iequals(words[i], "/F")) {
            forced = true;
        } else if (iequals(words[i], "/T")) {
            tree = true;
        } else if (iequals(words[i], "/PID") && i + 1 < words.size()) {
            by_pid = static_cast<std::uint32_t>(std::strtoul(words[++i].c_str(), nullptr, 10));
        } else if (iequals(words[i], "/IM") && i + 1 < words.size()) {
            by_name = words[++i];
        } else if (iequals(words[i], "/FI") && i + 1 < words.size()) {
            const std::string& filter = words[++i];
            constexpr std::string_view kSession = "SESSION eq ";
            if (filter.size() > kSession.size() && iequals(filter.substr(0, kSession.size()), kSession)) {
                in_session =
                    static_cast<std::uint32_t>(std::strtoul(filter.c_str() + kSession.size(), nullptr, 10));
            }
        }
    }
    std::vector<std::uint32_t> targets;
    for (const FakeProcess& process : table_) {
        const bool named =
            (by_pid && process.pid == *by_pid) || (by_name && iequals(process.exe_name, *by_name));
        if (named && (!in_session || process.session_id == *in_session)) {
            targets.push_back(process.pid);
        }
    }
    // taskkill ends a process with exit code 1; a window that closes on request exits with 0.
    const std::uint32_t exit_code = forced ? 1 : 0;
    for (std::uint32_t pid : targets) {
        if (tree) {
            end_tree(pid, exit_code, forced);
            continue;
        }
        FakeProcess* process = find(pid);
        if (process != nullptr && process != &own_ &&
            !(forced ? process->survives_taskkill : process->stays_open_on_close)) {
            end_process(pid, exit_code);
        }
    }
}

} // namespace tavrine
