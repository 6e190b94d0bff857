#pragma once
// The runtime holds: process-wide requests the Latency and Frames paths make and never release.
// Which of them a deploy makes is runs/runtime_holds.h.

namespace tavrine {

void hold_timer_resolution(); // "Timer": 1 ms through timeBeginPeriod and NtSetTimerResolution
void hold_power();            // "Power lock": system, display and away-mode required; no throttling
void purge_standby_list();    // "Standby": privileges, then the memory-list purge commands 4 and 5
void trim_working_sets();     // "Working set": every unprotected process's working set emptied

} // namespace tavrine
