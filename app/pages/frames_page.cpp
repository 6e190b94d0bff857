// Frames: twelve scheduler, GPU and memory modules, and the GPU vendor the profile is for.
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "gpu/vendor_record.h"

namespace tavrine {

namespace {

using enum Module;

constexpr ModuleRowText kRows[] = {
    {CpuSchedule, "CPU schedule", "Timer + throttling off", "Timer distribution + power throttling off."},
    {GpuProfile, "GPU profile", "Vendor gaming tweaks", "NVIDIA / AMD / Intel gaming tweaks."},
    {Ram, "RAM / MMCSS", "Games task memory", "Multimedia SystemProfile + memory flags."},
    {Mmcss, "Prioritize games", "High GPU/CPU sched", "Games task High GPU/CPU scheduling."},
    {Fullscreen, "Fullscreen FSE", "GameConfigStore", "GameConfigStore FSE behavior."},
    {GameDvr, "Game DVR", "Capture overlay off", "Removes capture overlay hitching."},
    {Hags, "GPU scheduling", "Hardware accelerated", "Enables hardware-accelerated GPU scheduling."},
    {VisualFx, "Visual FX", "Best performance desktop", "Cuts animations / transparency for frames."},
    {SysMain, "SysMain", "Disable Superfetch", "Stops SysMain from prefetching in the background."},
    {Dwm, "DWM MMCSS", "Desktop compositor boost",
     "Puts DWM on the multimedia scheduler so composition does not hitch."},
    {Standby, "Standby trim", "Empty standby list",
     "Purges the standby page list \xE2\x80\x94 same class of clamp as ISLC."},
    {WorkingSet, "Working set", "Trim idle processes",
     "Empties working sets of unprotected processes so RAM returns to the game."},
};

constexpr const char* kVendors[] = {"Auto (detected)", "NVIDIA", "AMD", "Intel"};

} // namespace

void draw_frames_page(ShellState& /*state*/) {
    module_grid(kRows);
    if (module_arms().armed(GpuProfile)) {
        gap(6);
        ImGui::TextUnformatted("GPU vendor");
        ImGui::SetNextItemWidth(260);
        // The remembered vendor itself, for this process only: the record file keeps its own.
        int vendor = static_cast<int>(remembered_vendor());
        if (ImGui::Combo("##gpu", &vendor, kVendors, 4)) {
            set_remembered_vendor(vendor_from_code(vendor));
        }
    }
}

} // namespace tavrine
