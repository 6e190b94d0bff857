#pragma once

#include "platform/files.h"

namespace tavrine {

class FakeMachine;

class FakeFiles final : public Files {
public:
    explicit FakeFiles(FakeMachine& owner) : owner_(owner) {}

private:
    [[maybe_unused]] FakeMachine& owner_; // lock with owner_.lock(), log with owner_.add_to_journal()
};

} // namespace tavrine
