#pragma once

#include "platform/processes.h"

#include <map>

namespace tavrine {

class FakeMachine;

struct FakeProcess {
    std::uint32_t pid = 0;
    std::uint32_t parent_pid = 0;
    std::string exe_name;
    std::string image_path; // empty: the process refuses to be opened
};

class FakeProcesses final : public Processes {
public:
    explicit FakeProcesses(FakeMachine& owner) : owner_(owner) {}

    std::vector<ProcessEntry> list_processes() override;
    std::optional<std::string> image_path(std::uint32_t pid) override;

    void add(FakeProcess process);
    void remove(std::uint32_t pid);

private:
    FakeMachine& owner_; // lock with owner_.lock(), log with owner_.add_to_journal()
    std::map<std::uint32_t, FakeProcess> table_;
};

} // namespace tavrine
