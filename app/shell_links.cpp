#include "app/shell_links.h"

#include "app/pages/completion_overlay.h"
#include "app/pages/system_sampler.h"

namespace tavrine {

const ShellLinks& shell_links() {
    static constexpr ShellLinks links{
        .load_settings = nullptr,
        .save_and_close_overlays = nullptr,
        .update_crosshair_overlay = nullptr,
        .update_hud_overlay = nullptr,
        .toggle_crosshair_overlay = nullptr,
        .toggle_hud = nullptr,
        .crosshair_needs_animation = nullptr,
        .is_first_launch = nullptr,
        .detect_once = nullptr,
        .draw_first_launch = nullptr,
        .advance_overview_sampler = advance_overview_sampler,
        .draw_completion_overlay = draw_completion_overlay,
    };
    return links;
}

} // namespace tavrine
