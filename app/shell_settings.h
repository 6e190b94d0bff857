#pragma once
// What the program reads back at start-up and puts away at exit, in the fixed orders the
// frame loop relies on.

namespace tavrine {

// Start-up, after the preset: the overlays' settings, then whether the program starts at logon.
void load_saved_settings();
// Exit: save and close each overlay, then the sensors.
void save_and_close_overlays();

} // namespace tavrine
