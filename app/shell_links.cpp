#include "app/shell_links.h"

#include "app/first_launch.h"
#include "app/pages/completion_overlay.h"
#include "app/pages/system_sampler.h"
#include "gpu/gpu_setup.h"
#include "gpu/vendor_record.h"

namespace tavrine {

namespace {

void load_settings() {
    load_remembered_vendor();
}

} // namespace

const ShellLinks& shell_links() {
    static constexpr ShellLinks links{
        .load_settings = load_settings,
        .save_and_close_overlays = nullptr,
        .update_crosshair_overlay = nullptr,
        .update_hud_overlay = nullptr,
        .toggle_crosshair_overlay = nullptr,
        .toggle_hud = nullptr,
        .crosshair_needs_animation = nullptr,
        .is_first_launch = is_first_launch,
        .detect_once = detect_once,
        .advance_first_launch = advance_first_launch,
        .draw_first_launch = draw_first_launch,
        .advance_overview_sampler = advance_overview_sampler,
        .draw_completion_overlay = draw_completion_overlay,
    };
    return links;
}

} // namespace tavrine
