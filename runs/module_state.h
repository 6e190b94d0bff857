#pragma once
// What each module would still change on this machine. A module's routine is previewed on a
// recorder over the machine, for the calling thread only; the recorded lines, each read back
// before it was written down, say how much of the module is already in place.

#include "platform/recording/recording_machine.h"
#include "runs/modules.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrine {

class Machine;

enum class ModuleStateKind : std::uint8_t {
    Applied,    // every change that can be read back is in place
    Partly,     // some are
    NotApplied, // none is
    CannotTell, // nothing can be read back (commands only)
    Report,     // the module says it in its own words (the cull, the clean-ups, the holds)
};

struct ModuleState {
    ModuleStateKind kind = ModuleStateKind::CannotTell;
    int in_place = 0;   // changes read back and found made
    int checkable = 0;  // changes that can be read back
    int unchecked = 0;  // commands and requests that cannot
    std::string report; // the Report's text
};

// One step a run of a path can have.
struct ModuleStateRow {
    const char* step_label = "";  // constant text
    const char* page_row = "";    // constant text
    std::optional<Module> module; // none for "Audio stability" and the "CPU cull"
    ModuleState state;
};

// Every step a run of `path` can have, armed or not, in run order, each previewed on its own
// recorder over `reads_from`. The recorder is installed for the calling thread only, so a run
// on another thread neither writes through it nor is read by it. Changes nothing.
std::vector<ModuleStateRow> compute_module_states(PathKind path, Machine& reads_from);

ModuleState state_from_tally(const PlanTally& tally);
// "applied", "partly 3/7", "not applied", "cannot tell", or the report.
std::string state_text(const ModuleState& state);
// One line for a module row's tooltip: "Already applied", "4 of 7 values still to change",
// "State unknown: runs commands", or the report.
std::string state_tooltip(const ModuleState& state);
// "applied", "partly", "not applied", "cannot tell", "report".
const char* state_word(ModuleStateKind kind);

} // namespace tavrine
