#pragma once
// The game clamp: the game's processes and main threads raised, power throttling off, stale
// priority overrides for its executable name cleared; and the demotion of launchers.

#include <cstdint>

namespace tavrine {

// Above-normal priority class (not high), throttling off, dynamic boosts kept, normal I/O
// hint, and the lowest-id thread (taken as the main thread) raised to above normal.
void clamp_process(std::uint32_t pid);
// Deletes "CpuPriorityClass" and "IoPriority" from the executable's image-file options.
void clear_perf_options(const char* exe_name);
// The overrides cleared, then every running process of that whole name (any case) clamped.
void clamp_game(const char* exe_name);
// Below-normal priority class with throttling forced on, for every process of that name.
void demote_process(const char* exe_name);

} // namespace tavrine
