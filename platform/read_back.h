#pragma once
// How a change can be read back, so that a preview can tell a change that is already made
// from one that is still to make. Shared by the recorder (which asks) and the fake machine
// (which answers as Windows would).

#include "platform/files.h"
#include "platform/machine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine {

// The SPI_GET call matching one SPI_SET call, and what it returns once the set is made.
struct SpiReadBack {
    std::uint32_t action = 0;
    std::uint32_t param = 0;
    std::vector<std::uint32_t> buffer;   // passed in: a record's size in its first word
    std::vector<std::uint32_t> expected; // read back when the setting is in place
};

// Only for the set actions whose get action reads exactly what the set wrote; nullopt for
// the rest, which a preview cannot check, and for a record that does not fit its action.
std::optional<SpiReadBack> spi_read_back(std::uint32_t action, std::uint32_t param,
                                         const SpiArgument& argument);

// How many 32-bit words a call of `action` reads or writes through pvParam: a get action's
// value or record, a record set action's record. nullopt for an action the program does not
// use, and for a set whose value travels in uiParam or in pvParam itself. A backend gives
// Windows no buffer of another size.
std::optional<std::size_t> spi_buffer_words(std::uint32_t action);

// The set call that puts back what the matching get call read before a set: the same action,
// with `previous` where that action carries its value. nullopt for actions without a get.
struct SpiSetCall {
    std::uint32_t param = 0;
    SpiArgument argument;
};
std::optional<SpiSetCall> spi_put_back(std::uint32_t action, std::uint32_t param,
                                       const std::vector<std::uint32_t>& previous);

// The scheme GUID (lower case) a "powercfg /s GUID" or "/setactive GUID" command makes active;
// nullopt for any other command, SCHEME_CURRENT included (it re-applies, changes no scheme).
std::optional<std::string> power_scheme_activated_by(std::string_view command);

// A "powercfg /setacvalueindex SCHEME GROUP SETTING VALUE" command (or its DC twin), the
// processor aliases resolved to their GUIDs. `setting.scheme` is empty for SCHEME_CURRENT: the
// scheme active when the command runs. nullopt for any other command, and for aliases this
// table does not know (their change is then one that cannot be read back).
struct PowerIndexCommand {
    PowerSetting setting;
    std::uint32_t value = 0;
};
std::optional<PowerIndexCommand> power_index_set_by(std::string_view command);

// "powercfg /setactive SCHEME_CURRENT": applies the active scheme again and changes nothing
// that could be put back.
bool reapplies_power_scheme(std::string_view command);

// The program's QoS policy when `command` is the script that creates it.
bool creates_qos_policy(std::string_view command);

// True for a GUID written as 8-4-4-4-12 hex digits, without braces.
bool is_guid(std::string_view text);

} // namespace tavrine
