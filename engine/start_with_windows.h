#pragma once
// Start with Windows: a logon task "TavrineOptimiser" that runs the program with the highest
// run level. A Run value would never start it: Windows skips, without a word, a program that
// needs elevation when it starts from the Run key at logon. The Run values of this and the
// earlier product are removed whichever way the setting goes.
//
// The task elevates at every logon without asking, so the file it starts must be one only an
// administrator can replace. A program started from a folder its user can write (Downloads,
// the desktop) is copied into "Program Files\Tavrine Optimiser" and the task starts that copy;
// a program that already lives in a folder only administrators can write starts in place.

#include <optional>
#include <string>
#include <string_view>

namespace tavrine {

inline constexpr char kStartupTaskName[] = "TavrineOptimiser";
// The protected copy: this folder under the system's Program Files folder, this file in it.
inline constexpr char kStartupCopyFolder[] = "Tavrine Optimiser";
inline constexpr char kStartupCopyName[] = "TavrineOptimiser.exe";

// True when the logon task or either Run value exists.
bool startup_entry_exists();

// The file the logon task starts (or would start): this executable when its folder is
// admin-only, else the protected copy. nullopt when neither can be named.
std::optional<std::string> startup_executable();

// What the Settings toggle's tooltip says: which file starts with Windows.
std::string start_with_windows_tip();

// On: refreshes the protected copy (when one is needed) and registers the logon task for it;
// off: removes the task and the copy. Both Run values go first, in a history run of their
// own. Returns whether the program now starts at logon as asked: false for on when no
// protected file could be made, its path cannot be held by the task or the task was not
// registered.
bool set_start_with_windows(bool on);

// The same without a history run of its own and without touching the Run values: how an
// undo puts back, or takes away, what a run changed.
bool enable_startup_task();
bool disable_startup_task();

// The task definition for `executable` (its quoted path is the action), or nullopt for a path
// the task cannot hold: empty, as long as the path buffer, with a quote, a percent sign (the
// task would expand it), a control character or a byte outside ASCII.
std::optional<std::string> startup_task_xml(std::string_view executable);

} // namespace tavrine
