#pragma once
// One line of text per change, shared by the preview and the fake machine's journal so that
// a plan and a test transcript read the same.

#include "platform/machine.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrine {

// "0x%X": how every line writes a number that is a set of bits or a code.
std::string hex(std::uint32_t value);

std::string key_display_path(Hive hive, std::string_view sub_key);
std::string describe_set_value(Hive hive, std::string_view sub_key, std::string_view name, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t size);
std::string describe_delete_value(Hive hive, std::string_view sub_key, std::string_view name);
std::string describe_delete_key(Hive hive, std::string_view sub_key);
std::string describe_run(std::string_view command, std::uint32_t wait_ms);
std::string describe_spi(std::uint32_t action, std::uint32_t param, const SpiArgument& argument,
                         std::uint32_t flags);
// "POWER SCHEME <guid>" and "POWER INDEX <scheme> <sub group> <setting> AC = 100".
std::string describe_activate_power_scheme(std::string_view guid);
std::string describe_power_index(const PowerSetting& setting, std::uint32_t value);
std::string describe_stop_and_set_start_type(std::string_view service, std::uint32_t start_type);
std::string describe_set_automatic_and_start(std::string_view service);
std::string describe_set_start_type_and_start(std::string_view service, std::uint32_t start_type);
std::string describe_set_attributes(std::string_view path, std::uint32_t attributes);
std::string describe_delete_file(std::string_view path, std::uint64_t size);
std::string describe_shell_open(std::string_view path);
std::string describe_write_file(std::string_view path, std::size_t bytes);
std::string describe_append_file(std::string_view path, std::size_t bytes);
std::string describe_copy_file(std::string_view from, std::string_view to);
std::string describe_create_folders(std::string_view folder);
// "TASK REGISTER <name>" and "TASK DELETE <name>": a scheduled task in the root folder.
std::string describe_register_task(std::string_view name);
std::string describe_delete_task(std::string_view name);
std::string describe_create_admin_only_folder(std::string_view folder);

} // namespace tavrine
