#include "platform/recording/recording_processes.h"

#include "platform/machine.h"
#include "platform/process_change_text.h"

namespace tavrine {

namespace {

// Queries go to the real process; changes are only written down. The real handle is never
// asked to terminate or change anything.
class RecordingProcessHandle final : public ProcessHandle {
public:
    RecordingProcessHandle(RecordingProcesses& plan, ProcessHandlePtr real, std::string name)
        : plan_(plan), real_(std::move(real)), name_(std::move(name)) {}

    std::uint32_t pid() const override { return real_->pid(); }

    bool terminate(std::uint32_t /*exit_code*/, std::string_view reason) override {
        plan_.record(describe_kill(pid(), reason.empty() ? std::string_view(name_) : reason));
        plan_.mark_terminated(pid());
        return true;
    }
    std::optional<std::uint32_t> exit_code() override {
        if (plan_.terminated(pid())) {
            return 1;
        }
        return real_->exit_code();
    }
    bool wait_for_exit(std::uint32_t /*wait_ms*/) override {
        // A preview never waits: a process it has not ended is still there.
        return plan_.terminated(pid());
    }
    std::optional<std::uint32_t> priority_class() override { return real_->priority_class(); }
    bool set_priority_class(std::uint32_t priority_class) override {
        plan_.record(describe_priority_class(pid(), name_, priority_class));
        return true;
    }
    bool set_priority_boost(bool disable) override {
        plan_.record(describe_priority_boost(pid(), name_, disable));
        return true;
    }
    bool set_power_throttling(const PowerThrottlingState& state) override {
        plan_.record(describe_power_throttling(pid(), name_, state));
        return true;
    }
    bool set_io_priority(std::uint32_t priority) override {
        plan_.record(describe_io_priority(pid(), name_, priority));
        return true;
    }
    bool empty_working_set() override {
        plan_.record(describe_empty_working_set(pid(), name_));
        return true;
    }
    std::optional<std::uint64_t> creation_time() override { return real_->creation_time(); }
    std::optional<std::string> image_name() override { return real_->image_name(); }

private:
    RecordingProcesses& plan_;
    ProcessHandlePtr real_;
    std::string name_;
};

class RecordingThreadHandle final : public ThreadHandle {
public:
    RecordingThreadHandle(RecordingProcesses& plan, ThreadHandlePtr real, std::uint32_t thread_id,
                          std::uint32_t owner_pid)
        : plan_(plan), real_(std::move(real)), thread_id_(thread_id), owner_pid_(owner_pid) {}

    std::optional<int> priority() override { return real_->priority(); }
    bool set_priority(int priority) override {
        plan_.record(describe_thread_priority(thread_id_, owner_pid_, priority));
        return true;
    }
    bool set_priority_boost(bool disable) override {
        plan_.record(describe_thread_priority_boost(thread_id_, owner_pid_, disable));
        return true;
    }

private:
    RecordingProcesses& plan_;
    ThreadHandlePtr real_;
    std::uint32_t thread_id_;
    std::uint32_t owner_pid_;
};

} // namespace

std::vector<ProcessEntry> RecordingProcesses::list_processes() {
    std::vector<ProcessEntry> entries = inner_.list_processes();
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(entries, [this](const ProcessEntry& entry) { return terminated_.count(entry.pid) != 0; });
    return entries;
}

ProcessHandlePtr RecordingProcesses::open_process(std::uint32_t pid, std::uint32_t access) {
    if (terminated(pid)) {
        return nullptr;
    }
    ProcessHandlePtr real = inner_.open_process(pid, access);
    if (!real) {
        return nullptr;
    }
    return std::make_unique<RecordingProcessHandle>(*this, std::move(real), name_of(pid));
}

ThreadHandlePtr RecordingProcesses::open_thread(std::uint32_t thread_id, std::uint32_t access) {
    ThreadHandlePtr real = inner_.open_thread(thread_id, access);
    if (!real) {
        return nullptr;
    }
    std::uint32_t owner = 0;
    for (const ThreadEntry& entry : inner_.list_threads()) {
        if (entry.thread_id == thread_id) {
            owner = entry.owner_pid;
            break;
        }
    }
    return std::make_unique<RecordingThreadHandle>(*this, std::move(real), thread_id, owner);
}

ProcessHandlePtr RecordingProcesses::current_process() {
    return std::make_unique<RecordingProcessHandle>(*this, inner_.current_process(),
                                                    name_of(inner_.current_process_id()));
}

bool RecordingProcesses::is_running(std::uint32_t pid) {
    return !terminated(pid) && inner_.is_running(pid);
}

void RecordingProcesses::record(std::string line) {
    plan_.record(std::move(line));
}

void RecordingProcesses::mark_terminated(std::uint32_t pid) {
    std::lock_guard<std::mutex> lock(mutex_);
    terminated_.insert(pid);
}

std::size_t RecordingProcesses::terminated_count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return terminated_.size();
}

bool RecordingProcesses::terminated(std::uint32_t pid) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return terminated_.count(pid) != 0;
}

std::string RecordingProcesses::name_of(std::uint32_t pid) {
    for (const ProcessEntry& entry : inner_.list_processes()) {
        if (entry.pid == pid) {
            return entry.exe_name;
        }
    }
    return {};
}

} // namespace tavrine
