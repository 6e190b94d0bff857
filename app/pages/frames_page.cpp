// Frames: twelve scheduler, GPU and memory modules, and the GPU vendor the profile is for.
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "gpu/vendor_record.h"

namespace tavrine {

namespace {

using enum Module;

constexpr const char* kVendors[] = {"Auto (detected)", "NVIDIA", "AMD", "Intel"};

} // namespace

void draw_frames_page(ShellState& /*state*/) {
    module_grid(PathKind::Frames);
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
