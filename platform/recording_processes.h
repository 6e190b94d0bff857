#pragma once

#include "platform/processes.h"

namespace tavrine {

class RecordingMachine;

// Reads through to the real processes, records every change in the plan.
class RecordingProcesses final : public Processes {
public:
    RecordingProcesses(RecordingMachine& plan, Processes& reads_from) : plan_(plan), inner_(reads_from) {}

    std::vector<ProcessEntry> list_processes() override { return inner_.list_processes(); }
    std::optional<std::string> image_path(std::uint32_t pid) override { return inner_.image_path(pid); }

private:
    [[maybe_unused]] RecordingMachine& plan_;
    Processes& inner_;
};

} // namespace tavrine
