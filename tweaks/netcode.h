#pragma once
// The Netcode path: TCP globals, network services, adapter power, per-interface ACK values,
// Wi-Fi power, DNS and the QoS policy for the game.

#include <string>
#include <string_view>

namespace tavrine {

void apply_network_stack();      // "Network stack"
void set_interface_tcp_values(); // every interface under Tcpip\Parameters\Interfaces: 1, 1, 0
void apply_wifi_latency();       // "Wi-Fi", page row "Wi-Fi latency"
void flush_dns();                // "Flush DNS"
void apply_nagle_off();          // "Nagle", page row "Nagle off"

// "Prioritize exe" on an executable file name; an empty name does nothing at all.
void prioritize_exe(std::string_view name);
// The step: `prioritize_exe` on `TargetExe` as it stands when the step starts.
void prioritize_target_exe();

// The command that replaces any earlier policy with one "TavrineQoS" policy marking the
// application at `app_path` with DSCP 46. Apostrophes in the path become spaces. A path the
// command interpreter or PowerShell could read as syntax is passed encoded instead.
std::string qos_policy_command(std::string_view app_path);

} // namespace tavrine
