#pragma once
// The Frames path: capture overlay, timer and scheduler settings, memory manager, the
// multimedia "Games" task, full-screen behaviour, GPU scheduling, visual effects, SysMain and
// the compositor's multimedia scheduling. ("Standby" and "Working set" are process/holds.h.)

namespace tavrine {

void apply_game_dvr_off(); // "Game DVR"
void apply_cpu_schedule(); // "CPU schedule"
void apply_ram();          // "RAM", page row "RAM / MMCSS"
void apply_mmcss_games();  // "MMCSS", page row "Prioritize games"
void apply_fullscreen();   // "Fullscreen", page row "Fullscreen FSE"
void apply_hags();         // "HAGS", page row "GPU scheduling"
void apply_visual_fx();    // "Visual FX"
void apply_sysmain_off();  // "SysMain": stopped and disabled
void apply_dwm_mmcss();    // "DWM", page row "DWM MMCSS"

// The "SvcHostSplitThresholdInKB" for this much memory: KiB, never below 4 GiB.
unsigned svchost_split_threshold_kib(unsigned long long total_physical_bytes);

} // namespace tavrine
