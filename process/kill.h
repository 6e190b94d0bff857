#pragma once
// Ending one process, by force or by asking, and whether that counts as a termination.

#include <cstdint>
#include <string_view>

namespace tavrine {

// The idle process (0), System (4) and this program are never ended, whatever their names.
bool is_untouchable_process(std::uint32_t pid);

// TerminateProcess, and when that is refused "taskkill /F /PID"; true when it counts as one
// termination. `name` and `rule` only label the change in a preview ("msedge.exe (bloat list)").
bool kill_process(std::uint32_t pid, std::string_view name = {}, const char* rule = nullptr);

// How long a document editor gets to close after a polite request before it is checked.
inline constexpr std::uint32_t kPoliteCloseWaitMs = 2000;

// A polite close: "taskkill /IM <name>" without /F, which sends the editor a close request so
// that its user can save (or cancel). True only when this process has really gone afterwards;
// an editor that stays open (a save prompt, a cancel) does not count.
bool ask_to_close(std::uint32_t pid, std::string_view name);

} // namespace tavrine
