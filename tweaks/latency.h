#pragma once
// The Latency path: input, power and accessibility changes, plus "Audio stability", the
// step that opens every run.

#include "platform/machine.h"

namespace tavrine {

void restore_sane_defaults();   // "Audio stability"
void apply_power_plan();        // "Power plan"
void apply_processor_power();   // shared with "CPU schedule"
void apply_input_delay();       // "Input delay", page row "Raw mouse"
void apply_mouse_accel_off();   // "Mouse accel"
void apply_usb_power();         // "USB", page row "USB interrupt"
void apply_game_mode();         // "Game Mode"
void apply_notifications_off(); // "Notifications", page row "Toasts off"
void apply_sticky_keys_off();   // "Sticky keys"

// Visitors of the device walk: the five selective-suspend values set to 0 on the key.
void write_usb_suspend_values(RegistryKey& key, const char* path);
void write_usb_suspend_values_if_usb(RegistryKey& key, const char* path);

} // namespace tavrine
