#pragma once

#include "platform/processes.h"

namespace tavrine {

class RecordingMachine;

// Reads through to the real processes, records every change in the plan.
class RecordingProcesses final : public Processes {
public:
    RecordingProcesses(RecordingMachine& plan, Processes& reads_from) : plan_(plan), inner_(reads_from) {}

private:
    [[maybe_unused]] RecordingMachine& plan_;
    [[maybe_unused]] Processes& inner_;
};

} // namespace tavrine
