#include "app/shell_links.h"

#include "app/first_launch.h"
#include "app/pages/completion_overlay.h"
#include "app/pages/system_sampler.h"
#include "app/shell_settings.h"
#include "app/shell_state.h"
#include "gpu/vendor_record.h"
#include "overlays/crosshair.h"
#include "overlays/hud.h"
#include "runs/gpu_setup.h"

namespace tavrine {

namespace {

// The frame loop's entry: the shell's own sampler, for the Overview page.
void advance_overview_sampler(float dt) {
    advance_system_sampler(shell_state().sampler, dt);
}

} // namespace

const ShellLinks& shell_links() {
    static constexpr ShellLinks links{
        .load_settings = load_saved_settings,
        .save_and_close_overlays = save_and_close_overlays,
        .update_crosshair_overlay = update_crosshair_overlay,
        .update_hud_overlay = update_hud_overlay,
        .toggle_crosshair_overlay = toggle_crosshair_overlay,
        .toggle_hud = toggle_hud,
        .crosshair_needs_animation = crosshair_needs_animation,
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
