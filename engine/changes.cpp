#include "engine/changes.h"

#include <cstdio>

namespace tavrine {

namespace {

void run_power_pair(const char* ac_format, const char* dc_format, const char* a, const char* b,
                    const char* c) {
    char command[320];
    std::snprintf(command, sizeof command, ac_format, a, b, c);
    run_hidden(command);
    std::snprintf(command, sizeof command, dc_format, a, b, c);
    run_hidden(command);
}

void run_processor_alias(const char* alias, const char* value) {
    char command[280];
    std::snprintf(command, sizeof command, "powercfg /setacvalueindex SCHEME_CURRENT SUB_PROCESSOR %s %s",
                  alias, value);
    run_hidden(command);
    std::snprintf(command, sizeof command, "powercfg /setdcvalueindex SCHEME_CURRENT SUB_PROCESSOR %s %s",
                  alias, value);
    run_hidden(command);
}

SpiArgument spi_argument(const Change& change) {
    SpiArgument argument;
    argument.kind = change.spi_kind;
    argument.value = change.spi_value;
    if (change.spi_words != nullptr) {
        argument.words.assign(change.spi_words, change.spi_words + change.spi_word_count);
    }
    return argument;
}

} // namespace

void apply_change(const Change& change) {
    switch (change.kind) {
    case Change::Kind::Dword:
        write_dword(change.path, change.name, change.number);
        return;
    case Change::Kind::Sz:
        write_string(change.path, change.name, change.text);
        return;
    case Change::Kind::Delete:
        delete_value(change.path, change.name);
        return;
    case Change::Kind::Run:
        run_hidden(change.path);
        return;
    case Change::Kind::PowerPair:
        run_power_pair("powercfg /setacvalueindex SCHEME_CURRENT %s %s %s",
                       "powercfg /setdcvalueindex SCHEME_CURRENT %s %s %s", change.path, change.name,
                       change.text);
        return;
    case Change::Kind::ProcessorAlias:
        run_processor_alias(change.name, change.text);
        return;
    case Change::Kind::ServiceAutoStart:
        set_automatic_and_start(change.path);
        return;
    case Change::Kind::ServiceStop:
        stop_and_set_start_type(change.path, change.number);
        return;
    case Change::Kind::Spi:
        system_parameters(change.number, change.param, spi_argument(change));
        return;
    case Change::Kind::DeviceWalk:
        find_subkeys_named(change.path, 0, change.visitor);
        return;
    case Change::Kind::Task:
        disable_scheduled_task(change.path);
        return;
    case Change::Kind::Call:
        if (change.routine != nullptr) {
            change.routine();
        }
        return;
    }
}

void apply_changes(std::span<const Change> changes) {
    for (const Change& change : changes) {
        apply_change(change);
    }
}

} // namespace tavrine
