#include "platform/fake_processes.h"

#include "platform/fake_machine.h"

namespace tavrine {

std::vector<ProcessEntry> FakeProcesses::list_processes() {
    std::lock_guard<std::recursive_mutex> lock(owner_.lock());
    std::vector<ProcessEntry> entries;
    for (const auto& [pid, process] : table_) {
        entries.push_back({process.pid, process.parent_pid, process.exe_name});
    }
    return entries;
}

std::optional<std::string> FakeProcesses::image_path(std::uint32_t pid) {
    std::lock_guard<std::recursive_mutex> lock(owner_.lock());
    auto it = table_.find(pid);
    if (it == table_.end() || it->second.image_path.empty()) {
        return std::nullopt;
    }
    return it->second.image_path;
}

void FakeProcesses::add(FakeProcess process) {
    std::lock_guard<std::recursive_mutex> lock(owner_.lock());
    table_[process.pid] = std::move(process);
}

void FakeProcesses::remove(std::uint32_t pid) {
    std::lock_guard<std::recursive_mutex> lock(owner_.lock());
    table_.erase(pid);
}

} // namespace tavrine
