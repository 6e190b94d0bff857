#pragma once
// Ending one process a snapshot listed, by force or by asking, and whether that counts as a
// termination.

#include "platform/processes.h"

#include <cstdint>
#include <string_view>

namespace tavrine {

// The idle process (0), System (4) and this program are never ended, whatever their names.
bool is_untouchable_process(std::uint32_t pid);

enum class KillOutcome : std::uint8_t {
    Ended,    // counts as one termination
    Survived, // still there, or it could not be told from another process: left alone
    Gone,     // its id now names another process (or none): nothing was done
};

// Opens the process `listed` names and checks that it still is that process (its image name
// and creation time as the snapshot read them) before ending it: TerminateProcess, and when
// that is refused "taskkill /F /PID" while the handle is held, so the id cannot be reused in
// between. `rule` only labels the change in a preview ("msedge.exe (bloat list)").
KillOutcome kill_process(const ProcessEntry& listed, const char* rule = nullptr);

// How long a document editor gets to close after a polite request before it is checked.
inline constexpr std::uint32_t kPoliteCloseWaitMs = 2000;

// A polite close: "taskkill /IM <name>" without /F, in the listed process's session only, which
// sends the editor a close request so that its user can save (or cancel). Ended only when this
// very process has gone afterwards; an editor that stays open (a save prompt, a cancel) does
// not count. Checked against the snapshot first, as kill_process does.
KillOutcome ask_to_close(const ProcessEntry& listed);

} // namespace tavrine
