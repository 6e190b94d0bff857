#pragma once
// Start with Windows: a logon task "TavrineOptimiser" that runs the program with the highest
// run level. A Run value would never start it: Windows skips, without a word, a program that
// needs elevation when it starts from the Run key at logon. The Run values of this and the
// earlier product are removed whichever way the setting goes.

#include <optional>
#include <string>
#include <string_view>

namespace tavrine {

inline constexpr char kStartupTaskName[] = "TavrineOptimiser";
inline constexpr char kRunKeyPath[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// True when the logon task or either Run value exists.
bool startup_entry_exists();

// Registers (on) or removes (off) the logon task, after deleting both Run values. Returns
// whether the program now starts at logon as asked: false for on when the executable path
// cannot be held by the task or the task was not registered.
bool set_start_with_windows(bool on);

// Registers the logon task for this executable (how an undo puts back a task a run removed).
bool register_startup_task();

// The task definition for `executable` (its quoted path is the action), or nullopt for a path
// the task cannot hold: empty, as long as the path buffer, with a quote, a percent sign (the
// task would expand it), a control character or a byte outside ASCII.
std::optional<std::string> startup_task_xml(std::string_view executable);

} // namespace tavrine
