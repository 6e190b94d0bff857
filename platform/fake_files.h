#pragma once

#include "platform/ascii.h"
#include "platform/files.h"

#include <map>

namespace tavrine {

class FakeMachine;

class FakeFiles final : public Files {
public:
    explicit FakeFiles(FakeMachine& owner) : owner_(owner) {}

    std::optional<std::uint32_t> attributes(std::string_view path) override;

    // A file (or, with kFileAttributeDirectory, a folder) at a Windows path.
    void add(std::string_view path, std::uint32_t attributes = 0);

private:
    FakeMachine& owner_; // lock with owner_.lock(), log with owner_.add_to_journal()
    std::map<std::string, std::uint32_t, CaseInsensitiveLess> entries_;
};

} // namespace tavrine
