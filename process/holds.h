#pragma once
// The runtime holds: process-wide requests the Latency and Frames paths make and never release.

namespace tavrine {

void hold_timer_resolution(); // "Timer": 1 ms through timeBeginPeriod and NtSetTimerResolution
void hold_power();            // "Power lock": system, display and away-mode required; no throttling
void purge_standby_list();    // "Standby": privileges, then the memory-list purge commands 4 and 5
void trim_working_sets();     // "Working set": every unprotected process's working set emptied

// Which holds a title deploy makes, as its step read them from the arm flags.
struct RuntimeHolds {
    bool timer = false;
    bool power_lock = false;
    bool dwm = false;
    bool standby = false;
    bool working_set = false;
    bool game_clamp = false;
};

// The deploy's clamp stage: every hold asked for, then the game clamp of `exe_name` (or of the
// selected title when it is null or empty).
void apply_runtime_holds(const RuntimeHolds& holds, const char* exe_name);

} // namespace tavrine
