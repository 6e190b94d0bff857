#pragma once

#include "platform/files.h"

namespace tavrine {

class RecordingMachine;

// Reads through to the real files, records every change in the plan.
class RecordingFiles final : public Files {
public:
    RecordingFiles(RecordingMachine& plan, Files& reads_from) : plan_(plan), inner_(reads_from) {}

    std::optional<std::uint32_t> attributes(std::string_view path) override {
        return inner_.attributes(path);
    }

private:
    [[maybe_unused]] RecordingMachine& plan_;
    Files& inner_;
};

} // namespace tavrine
