#include "app/shell_settings.h"

#include "app/shell_state.h"
#include "engine/start_with_windows.h"
#include "gpu/vendor_record.h"
#include "overlays/crosshair.h"
#include "overlays/hud.h"

namespace tavrine {

void load_saved_settings() {
    load_crosshair_settings();
    load_hud_settings();
    load_remembered_vendor();
    shell_state().start_with_windows = startup_entry_exists();
    shell_state().start_with_windows_tip = start_with_windows_tip();
}

void save_and_close_overlays() {
    save_crosshair_settings();
    destroy_crosshair_overlay();
    save_and_close_hud();
}

} // namespace tavrine
