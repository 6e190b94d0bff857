#pragma once

#include "platform/processes.h"

namespace tavrine {

class FakeMachine;

class FakeProcesses final : public Processes {
public:
    explicit FakeProcesses(FakeMachine& owner) : owner_(owner) {}

private:
    [[maybe_unused]] FakeMachine& owner_; // lock with owner_.lock(), log with owner_.add_to_journal()
};

} // namespace tavrine
