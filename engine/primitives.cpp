#include "engine/primitives.h"

#include "platform/ascii.h"

#include <cstdio>
#include <cstring>

namespace tavrine {

namespace {

// Same truncation as the fixed buffers the paths and task commands are formatted into.
template <std::size_t N, typename... Args> std::string format_bounded(const char* format, Args... args) {
    char buffer[N];
    std::snprintf(buffer, N, format, args...);
    return buffer;
}

void write_value(RegistryPath path, const char* value_name, std::uint32_t type, const std::uint8_t* data,
                 std::uint32_t size) {
    ParsedRegistryPath parsed;
    if (!parse_registry_path(path, parsed)) {
        return;
    }
    RegistryKeyPtr key = current_machine().registry().create_key(parsed.hive, parsed.sub_key);
    if (!key) {
        return;
    }
    key->set_value(value_name != nullptr ? value_name : "", type, data, size);
}

} // namespace

void write_dword(RegistryPath path, const char* value_name, std::uint32_t value) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &value, 4); // REG_DWORD is little-endian, as is every target
    write_value(path, value_name, kRegDword, bytes, 4);
}

void write_string(RegistryPath path, const char* value_name, const char* text) {
    const char* safe = text != nullptr ? text : "";
    write_value(path, value_name, kRegSz, reinterpret_cast<const std::uint8_t*>(safe),
                static_cast<std::uint32_t>(std::strlen(safe) + 1));
}

bool write_string(Hive hive, const char* sub_key, const char* value_name, const char* text) {
    if (sub_key == nullptr) {
        return false;
    }
    RegistryKeyPtr key = current_machine().registry().create_key(hive, sub_key);
    if (!key) {
        return false;
    }
    const char* safe = text != nullptr ? text : "";
    return key->set_value(value_name != nullptr ? value_name : "", kRegSz,
                          reinterpret_cast<const std::uint8_t*>(safe),
                          static_cast<std::uint32_t>(std::strlen(safe) + 1));
}

void delete_value(RegistryPath path, const char* value_name) {
    ParsedRegistryPath parsed;
    if (!parse_registry_path(path, parsed)) {
        return;
    }
    // Opened, never created: deleting from a missing key must leave no key behind.
    RegistryKeyPtr key =
        current_machine().registry().open_key(parsed.hive, parsed.sub_key, KeyAccess::SetValue);
    if (!key) {
        return;
    }
    key->delete_value(value_name != nullptr ? value_name : "");
}

bool run_hidden(const char* command) {
    if (command == nullptr || command[0] == '\0') {
        return false;
    }
    const CommandOutcome outcome = current_machine().commands().run_hidden(command, kRunHiddenWaitMs);
    return outcome.started && outcome.exit_code == 0;
}

std::uint32_t run_hidden_exit_code(const char* command) {
    if (command == nullptr || command[0] == '\0') {
        return 1;
    }
    const CommandOutcome outcome = current_machine().commands().run_hidden(command, kRunHiddenExitCodeWaitMs);
    return outcome.started ? outcome.exit_code : 1;
}

void stop_and_set_start_type(const char* service_name, std::uint32_t start_type) {
    if (service_name == nullptr) {
        return;
    }
    current_machine().services().stop_and_set_start_type(service_name, start_type);
}

void set_automatic_and_start(const char* service_name) {
    if (service_name == nullptr) {
        return;
    }
    current_machine().services().set_automatic_and_start(service_name);
}

bool enable_debug_privilege() {
    return current_machine().security().enable_debug_privilege();
}

void find_subkeys_named(const char* root_sub_key, int depth, DeviceParametersVisitor visitor) {
    if (depth > kDeviceWalkMaxDepth || root_sub_key == nullptr) {
        return;
    }
    Registry& registry = current_machine().registry();
    RegistryKeyPtr root = registry.open_key(Hive::LocalMachine, root_sub_key, KeyAccess::Read);
    if (!root) {
        return;
    }
    for (std::uint32_t index = 0;; ++index) {
        const std::optional<std::string> name = root->sub_key_name(index);
        if (!name) {
            break;
        }
        // A path longer than the walk's 768-byte buffer is skipped, not cut: cut short it names
        // another key (often the device's own instance key), which would get the values instead.
        const std::string path = std::string(root_sub_key) + "\\" + *name;
        if (path.size() >= kDeviceWalkPathBuffer) {
            continue;
        }
        if (iequals(*name, "Device Parameters")) {
            RegistryKeyPtr device = registry.open_key(Hive::LocalMachine, path, KeyAccess::ReadWrite);
            if (device && visitor != nullptr) {
                visitor(*device, path.c_str());
            }
            continue;
        }
        find_subkeys_named(path.c_str(), depth + 1, visitor);
    }
}

void* resolve_optional(const char* module_name, const char* entry_name) {
    if (module_name == nullptr || entry_name == nullptr) {
        return nullptr;
    }
    return current_machine().security().resolve_optional(module_name, entry_name);
}

void disable_scheduled_task(const char* task_path) {
    if (task_path == nullptr) {
        return;
    }
    const std::string end = format_bounded<420>("schtasks /end /tn \"%s\" >nul 2>&1", task_path);
    const std::string disable =
        format_bounded<420>("schtasks /change /tn \"%s\" /disable >nul 2>&1", task_path);
    run_hidden(end.c_str());
    run_hidden(disable.c_str());
}

bool system_parameters(std::uint32_t action, std::uint32_t param, const SpiArgument& argument,
                       std::uint32_t flags) {
    return current_machine().system_settings().system_parameters(action, param, argument, flags);
}

void plan_note(const char* text) {
    if (text != nullptr) {
        current_machine().note(text);
    }
}

} // namespace tavrine
