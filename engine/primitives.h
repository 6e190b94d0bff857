#pragma once
// The small operations every system change goes through. None keeps state and none reports a
// failure to the user: a change that cannot be made is skipped and the caller goes on.

#include "platform/machine.h"
#include "platform/registry_path.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrine {

inline constexpr std::uint32_t kRunHiddenWaitMs = 45000;
inline constexpr std::uint32_t kRunHiddenExitCodeWaitMs = 15000;
inline constexpr std::uint32_t kSpiUpdateAndBroadcast = 3; // SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE
inline constexpr int kDeviceWalkMaxDepth = 7;
inline constexpr std::size_t kDeviceWalkPathBuffer = 768; // bytes, terminator included

void write_dword(RegistryPath path, const char* value_name, std::uint32_t value);
void write_string(RegistryPath path, const char* value_name, const char* text);
// The hive-and-sub-key form: true only when both the create and the set succeeded.
bool write_string(Hive hive, const char* sub_key, const char* value_name, const char* text);
void delete_value(RegistryPath path, const char* value_name);

// True only when the command started and exited with code 0 within 45 s.
bool run_hidden(const char* command);
// The exit code itself after a 15 s wait; 1 when the command is empty or cannot start.
std::uint32_t run_hidden_exit_code(const char* command);

void stop_and_set_start_type(const char* service_name, std::uint32_t start_type);
void set_automatic_and_start(const char* service_name);
bool enable_debug_privilege();

// Called with every "Device Parameters" key met by the walk, opened read+write, and its path.
using DeviceParametersVisitor = void (*)(RegistryKey& key, const char* path);
// Depth-first under HKEY_LOCAL_MACHINE; the first call passes depth 0. Keys deeper than
// kDeviceWalkMaxDepth are not entered and a "Device Parameters" key is never descended into.
void find_subkeys_named(const char* root_sub_key, int depth, DeviceParametersVisitor visitor);

void* resolve_optional(const char* module_name, const char* entry_name);
void disable_scheduled_task(const char* task_path);

// SystemParametersInfoA through the current machine.
bool system_parameters(std::uint32_t action, std::uint32_t param, const SpiArgument& argument,
                       std::uint32_t flags = kSpiUpdateAndBroadcast);

// A remark shown only in a preview (the plan); nothing on a real run.
void plan_note(const char* text);

} // namespace tavrine
