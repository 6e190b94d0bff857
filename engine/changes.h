#pragma once
// A tweak routine that is a fixed list of changes is written as a table of `Change`s, in the
// order they are made, and applied by `apply_changes`. Every change goes through the
// primitives, so a failure skips that one change and the list goes on.

#include "engine/primitives.h"

#include <cstdint>
#include <span>

namespace tavrine {

// A routine a step runs, or a `Change` calls in place.
using StepRoutine = void (*)();

struct Change {
    enum class Kind : std::uint8_t {
        Dword,            // write_dword(path, name, number)
        Sz,               // write_string(path, name, text)
        Delete,           // delete_value(path, name)
        Run,              // run_hidden(path)
        PowerPair,        // powercfg AC then DC value for sub-group `path`, setting `name`, value `text`
        ProcessorAlias,   // powercfg AC then DC value for SUB_PROCESSOR alias `name`, value `text`
        ServiceAutoStart, // set_automatic_and_start(path)
        ServiceStop,      // stop_and_set_start_type(path, number)
        Spi,              // system_parameters(number, param, argument, 3)
        DeviceWalk,       // find_subkeys_named(path, 0, visitor)
        Task,             // disable_scheduled_task(path): end it, then disable it
        Call,             // another routine, in place
    };

    Kind kind;
    const char* path = nullptr;
    const char* name = nullptr;
    const char* text = nullptr;
    std::uint32_t number = 0;
    std::uint32_t param = 0;
    SpiArgument::Kind spi_kind = SpiArgument::Kind::Null;
    std::uintptr_t spi_value = 0;
    const std::uint32_t* spi_words = nullptr;
    std::size_t spi_word_count = 0;
    DeviceParametersVisitor visitor = nullptr;
    StepRoutine routine = nullptr;
};

constexpr Change dword(const char* path, const char* name, std::uint32_t value) {
    return {.kind = Change::Kind::Dword, .path = path, .name = name, .number = value};
}
constexpr Change sz(const char* path, const char* name, const char* text) {
    return {.kind = Change::Kind::Sz, .path = path, .name = name, .text = text};
}
constexpr Change del(const char* path, const char* name) {
    return {.kind = Change::Kind::Delete, .path = path, .name = name};
}
constexpr Change run(const char* command) {
    return {.kind = Change::Kind::Run, .path = command};
}
constexpr Change power_pair(const char* sub_group, const char* setting, const char* value) {
    return {.kind = Change::Kind::PowerPair, .path = sub_group, .name = setting, .text = value};
}
constexpr Change processor_alias(const char* alias, const char* value) {
    return {.kind = Change::Kind::ProcessorAlias, .name = alias, .text = value};
}
constexpr Change service_auto_start(const char* service) {
    return {.kind = Change::Kind::ServiceAutoStart, .path = service};
}
constexpr Change service_stop(const char* service, std::uint32_t start_type) {
    return {.kind = Change::Kind::ServiceStop, .path = service, .number = start_type};
}
constexpr Change spi(std::uint32_t action, std::uint32_t param) {
    return {.kind = Change::Kind::Spi, .number = action, .param = param};
}
constexpr Change spi_value(std::uint32_t action, std::uint32_t param, std::uintptr_t value) {
    return {.kind = Change::Kind::Spi,
            .number = action,
            .param = param,
            .spi_kind = SpiArgument::Kind::Value,
            .spi_value = value};
}
template <std::size_t N>
constexpr Change spi_record(std::uint32_t action, std::uint32_t param, const std::uint32_t (&words)[N]) {
    return {.kind = Change::Kind::Spi,
            .number = action,
            .param = param,
            .spi_kind = SpiArgument::Kind::Words,
            .spi_words = words,
            .spi_word_count = N};
}
constexpr Change device_walk(const char* root_sub_key, DeviceParametersVisitor visitor) {
    return {.kind = Change::Kind::DeviceWalk, .path = root_sub_key, .visitor = visitor};
}
constexpr Change task(const char* task_path) {
    return {.kind = Change::Kind::Task, .path = task_path};
}
constexpr Change call(StepRoutine routine) {
    return {.kind = Change::Kind::Call, .routine = routine};
}

void apply_change(const Change& change);
void apply_changes(std::span<const Change> changes);

} // namespace tavrine
