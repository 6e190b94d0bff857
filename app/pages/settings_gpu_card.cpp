// The Settings page's GPU card: whether the first-time setup is done, "Tune GPU now" and
// "Show setup next launch".
#include "app/pages/page_parts.h"
#include "app/pages/pages.h"
#include "app/widgets.h"
#include "runs/gpu_setup.h"
#include "gpu/vendor_record.h"

namespace tavrine {

void draw_gpu_card(ShellState& /*state*/) {
    section_header("GPU", "First-time setup", is_first_launch() ? "Pending" : "Done");
    ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + ImGui::GetContentRegionAvail().x);
    ImGui::TextUnformatted(
        "After splash we detect NVIDIA / AMD / Intel once, then auto-apply that GPU profile. "
        "Skip still saves so we never nag.");
    ImGui::PopTextWrapPos();
    gap_after_item(8);
    if (gpu_detection().tuning_busy.load()) {
        ImGui::TextUnformatted("Tuning GPU\xE2\x80\xA6");
    } else if (action_button("Tune GPU now", ImVec2(220, 38), 0.55f)) {
        // Refused while a run or a deploy is busy; the button simply stays.
        start_tune_now(remembered_vendor());
    }
    ImGui::SameLine(0, 10);
    if (ghost_button("Show setup next launch", ImVec2(220, 38))) {
        reset_first_launch();
    }
}

} // namespace tavrine
