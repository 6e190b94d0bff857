#include "platform/read_back.h"

#include "platform/ascii.h"
#include "platform/spi_actions.h"

namespace tavrine {

namespace {

struct SpiPair {
    std::uint32_t set;
    std::uint32_t get;
    enum class Shape : std::uint8_t {
        Param,   // the value travels in uiParam; the get writes one word
        Pointer, // the value travels in pvParam itself; the get writes one word
        Record,  // a record of words, its size in uiParam and its first word
    } shape;
    // What the get writes through pvParam (and a record's set reads): Windows writes the whole
    // structure whatever buffer it is given, so every buffer is sized from here, never from input.
    std::uint32_t bytes;
    bool sized = false; // the record carries its size in uiParam and its first word
};

// Every system parameter action the program sets, with its get twin.
// clang-format off
constexpr SpiPair kSpiPairs[] = {
    {kSpiSetMouse, kSpiGetMouse, SpiPair::Shape::Record, 12},                     // three ints, no size
    {kSpiSetMouseSpeed, kSpiGetMouseSpeed, SpiPair::Shape::Pointer, 4},
    {kSpiSetKeyboardSpeed, kSpiGetKeyboardSpeed, SpiPair::Shape::Param, 4},
    {kSpiSetKeyboardDelay, kSpiGetKeyboardDelay, SpiPair::Shape::Param, 4},
    {kSpiSetFilterKeys, kSpiGetFilterKeys, SpiPair::Shape::Record, 24, true},     // FILTERKEYS
    {kSpiSetToggleKeys, kSpiGetToggleKeys, SpiPair::Shape::Record, 8, true},      // TOGGLEKEYS
    {kSpiSetStickyKeys, kSpiGetStickyKeys, SpiPair::Shape::Record, 8, true},      // STICKYKEYS
    {kSpiSetAnimation, kSpiGetAnimation, SpiPair::Shape::Record, 8, true},        // ANIMATIONINFO
    {kSpiSetMenuAnimation, kSpiGetMenuAnimation, SpiPair::Shape::Pointer, 4},
    {kSpiSetComboBoxAnimation, kSpiGetComboBoxAnimation, SpiPair::Shape::Pointer, 4},
    {kSpiSetDropShadow, kSpiGetDropShadow, SpiPair::Shape::Pointer, 4},
    {kSpiSetUiEffects, kSpiGetUiEffects, SpiPair::Shape::Pointer, 4},
    {kSpiSetClientAreaAnimation, kSpiGetClientAreaAnimation, SpiPair::Shape::Pointer, 4},
};
// clang-format on

constexpr std::size_t word_count(const SpiPair& pair) {
    return pair.bytes / 4;
}

struct PowerAlias {
    const char* alias;
    const char* guid;
};

// The powercfg aliases the runs use, as powercfg /aliases lists them.
constexpr PowerAlias kPowerAliases[] = {
    {"SUB_PROCESSOR", "54533251-82be-4824-96c1-47b60b740d00"},
    {"PROCTHROTTLEMIN", "893dee8e-2bef-41e0-89c6-b55d0929964c"},
    {"PROCTHROTTLEMAX", "bc5038f7-23e0-4960-96da-33abaf5935ec"},
    {"CPMINCORES", "0cc5b647-c1df-4637-891a-dec35c318583"},
    {"CPMAXCORES", "ea062031-0e34-4ff1-9b6d-eb1059334028"},
    {"PERFBOOSTMODE", "be337238-0d82-4146-a960-4f3749d470c7"},
};

} // namespace

bool is_guid(std::string_view text) {
    if (text.size() != 36) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (dash ? c != '-' : !hex) {
            return false;
        }
    }
    return true;
}

namespace {

std::vector<std::string_view> words_of(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(' ', at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = text.find(' ', start);
        words.push_back(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
        at = end == std::string_view::npos ? text.size() : end;
    }
    return words;
}

} // namespace

std::optional<SpiReadBack> spi_read_back(std::uint32_t action, std::uint32_t param,
                                         const SpiArgument& argument) {
    for (const SpiPair& pair : kSpiPairs) {
        if (pair.set != action) {
            continue;
        }
        SpiReadBack read;
        read.action = pair.get;
        switch (pair.shape) {
        case SpiPair::Shape::Param:
            read.expected = {param};
            break;
        case SpiPair::Shape::Pointer:
            if (argument.kind == SpiArgument::Kind::Words) {
                return std::nullopt;
            }
            read.expected = {
                static_cast<std::uint32_t>(argument.kind == SpiArgument::Kind::Value ? argument.value : 0)};
            break;
        case SpiPair::Shape::Record:
            // A record that does not fit its action (a damaged or foreign history line) would
            // make Windows read or write past the buffer.
            if (argument.kind != SpiArgument::Kind::Words || argument.words.size() != word_count(pair) ||
                (pair.sized && (param != pair.bytes || argument.words[0] != pair.bytes))) {
                return std::nullopt;
            }
            read.param = param;
            read.expected = argument.words;
            break;
        }
        read.buffer.assign(read.expected.size(), 0);
        if (pair.shape == SpiPair::Shape::Record && param != 0) {
            read.buffer[0] = read.expected[0]; // cbSize
        }
        return read;
    }
    return std::nullopt;
}

std::optional<std::size_t> spi_buffer_words(std::uint32_t action) {
    for (const SpiPair& pair : kSpiPairs) {
        if (pair.get == action || (pair.set == action && pair.shape == SpiPair::Shape::Record)) {
            return word_count(pair);
        }
    }
    return std::nullopt;
}

std::optional<SpiSetCall> spi_put_back(std::uint32_t action, std::uint32_t param,
                                       const std::vector<std::uint32_t>& previous) {
    for (const SpiPair& pair : kSpiPairs) {
        if (pair.set != action || previous.size() != word_count(pair)) {
            continue;
        }
        SpiSetCall call{param, {}};
        switch (pair.shape) {
        case SpiPair::Shape::Param:
            call.param = previous[0];
            break;
        case SpiPair::Shape::Pointer:
            call.argument.kind = SpiArgument::Kind::Value;
            call.argument.value = previous[0];
            break;
        case SpiPair::Shape::Record:
            call.argument.kind = SpiArgument::Kind::Words;
            call.argument.words = previous;
            break;
        }
        return call;
    }
    return std::nullopt;
}

std::optional<std::string> power_scheme_activated_by(std::string_view command) {
    const std::vector<std::string_view> words = words_of(command);
    if (words.size() != 3 || !iequals(words[0], "powercfg")) {
        return std::nullopt;
    }
    const std::string_view option = words[1];
    const bool activates = iequals(option, "/s") || iequals(option, "-s") || iequals(option, "/setactive") ||
                           iequals(option, "-setactive");
    if (!activates || !is_guid(words[2])) {
        return std::nullopt;
    }
    return ascii_lowered(words[2]);
}

namespace {

std::optional<std::string> power_guid(std::string_view word) {
    if (is_guid(word)) {
        return ascii_lowered(word);
    }
    for (const PowerAlias& alias : kPowerAliases) {
        if (iequals(word, alias.alias)) {
            return std::string(alias.guid);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<PowerIndexCommand> power_index_set_by(std::string_view command) {
    const std::vector<std::string_view> words = words_of(command);
    if (words.size() != 6 || !iequals(words[0], "powercfg")) {
        return std::nullopt;
    }
    std::string_view option = words[1];
    if (option.empty() || (option[0] != '/' && option[0] != '-')) {
        return std::nullopt;
    }
    option.remove_prefix(1);
    const bool ac = iequals(option, "setacvalueindex");
    if (!ac && !iequals(option, "setdcvalueindex")) {
        return std::nullopt;
    }
    PowerIndexCommand parsed;
    parsed.setting.ac = ac;
    if (!iequals(words[2], "SCHEME_CURRENT")) {
        if (!is_guid(words[2])) {
            return std::nullopt;
        }
        parsed.setting.scheme = ascii_lowered(words[2]);
    }
    const std::optional<std::string> sub_group = power_guid(words[3]);
    const std::optional<std::string> setting = power_guid(words[4]);
    const std::string_view value = words[5];
    if (!sub_group || !setting || value.empty() || value.size() > 9 ||
        value.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    parsed.setting.sub_group = *sub_group;
    parsed.setting.setting = *setting;
    parsed.value = static_cast<std::uint32_t>(std::stoul(std::string(value)));
    return parsed;
}

bool reapplies_power_scheme(std::string_view command) {
    const std::vector<std::string_view> words = words_of(command);
    return words.size() == 3 && iequals(words[0], "powercfg") &&
           (iequals(words[1], "/setactive") || iequals(words[1], "-setactive")) &&
           iequals(words[2], "SCHEME_CURRENT");
}

bool creates_qos_policy(std::string_view command) {
    return command.find("New-NetQosPolicy -Name 'TavrineQoS'") != std::string_view::npos;
}

} // namespace tavrine
