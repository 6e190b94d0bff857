#pragma once
// The Cleanup path: restore point, temporary files, browser caches, the Windows pass, store
// apps, TRIM or defrag of one volume, a Windows Update scan, telemetry and hibernation.
// The file-tree deletion behind the temp and cache cleaning is in tweaks/temp_files.h.

#include <atomic>

namespace tavrine {

void create_restore_point();  // "Restore point"; also the Deploy page's button
void clean_temp_files();      // "Temp files", page row "Temp / prefetch"
void clean_browser_caches();  // "Browser cache"
void apply_windows_pass();    // "Windows pass" (tweaks/windows_pass.cpp)
void remove_bloat_apps();     // "Bloat apps"
void optimize_target_drive(); // "Drive TRIM", page row "Game drive"
void start_update_scan();     // "Windows Update"
void disable_telemetry();     // "Telemetry"
void hibernate_off();         // "Hibernate"

// The volume "Drive TRIM" acts on: the drive letter picked under "Target volume" on the
// Cleanup page ('C' at start). The page writes it on the main thread; the step reads it once
// when it starts. '\0' means none.
std::atomic<char>& target_drive();

} // namespace tavrine
