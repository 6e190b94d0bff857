#include "platform/win32_machine.h"

#include "platform/command_line.h"
#include "platform/win32_files.h"
#include "platform/win32_handles.h"
#include "platform/win32_processes.h"
#include "platform/win32_sensors.h"
#include "platform/win32_system_state.h"

#include <string>
#include <vector>

namespace tavrine {

namespace {

using win32::UniqueHkey;
using win32::UniqueKernelHandle;
using win32::UniqueServiceHandle;

HKEY root_of(Hive hive) {
    switch (hive) {
    case Hive::CurrentUser:
        return HKEY_CURRENT_USER;
    case Hive::Users:
        return HKEY_USERS;
    case Hive::LocalMachine:
        break;
    }
    return HKEY_LOCAL_MACHINE;
}

REGSAM sam_of(KeyAccess access) {
    switch (access) {
    case KeyAccess::SetValue:
        return KEY_SET_VALUE;
    case KeyAccess::Read:
        return KEY_READ;
    case KeyAccess::ReadWrite:
        break;
    }
    return KEY_READ | KEY_SET_VALUE;
}

// [SECTION] Registry ------------------------------------------------------------------------

class Win32Key final : public RegistryKey {
public:
    Win32Key(Hive hive, std::string sub_key, UniqueHkey key)
        : hive_(hive), sub_key_(std::move(sub_key)), key_(std::move(key)) {}

    Hive hive() const override { return hive_; }
    const std::string& sub_key() const override { return sub_key_; }

    bool set_value(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t size) override {
        const std::string value_name(name);
        return RegSetValueExA(key_.get(), value_name.c_str(), 0, type, data, size) == ERROR_SUCCESS;
    }

    std::optional<RegistryValue> query_value(std::string_view name) override {
        const std::string value_name(name);
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key_.get(), value_name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        RegistryValue value{type, std::vector<std::uint8_t>(size)};
        if (RegQueryValueExA(key_.get(), value_name.c_str(), nullptr, &type, value.data.data(), &size) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.data.resize(size);
        value.type = type;
        return value;
    }

    bool delete_value(std::string_view name) override {
        const std::string value_name(name);
        return RegDeleteValueA(key_.get(), value_name.c_str()) == ERROR_SUCCESS;
    }

    std::optional<std::string> sub_key_name(std::uint32_t index) override {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key_.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        return std::string(name, length);
    }

    std::optional<std::string> value_name(std::uint32_t index) override {
        char name[16384];
        DWORD length = sizeof name;
        if (RegEnumValueA(key_.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        return std::string(name, length);
    }

private:
    Hive hive_;
    std::string sub_key_;
    UniqueHkey key_;
};

class Win32Registry final : public Registry {
public:
    RegistryKeyPtr create_key(Hive hive, std::string_view sub_key) override {
        const std::string path(sub_key);
        UniqueHkey key;
        if (RegCreateKeyExA(root_of(hive), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                            nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
            return nullptr;
        }
        return std::make_unique<Win32Key>(hive, path, std::move(key));
    }

    RegistryKeyPtr open_key(Hive hive, std::string_view sub_key, KeyAccess access) override {
        const std::string path(sub_key);
        UniqueHkey key;
        if (RegOpenKeyExA(root_of(hive), path.c_str(), 0, sam_of(access), key.put()) != ERROR_SUCCESS) {
            return nullptr;
        }
        return std::make_unique<Win32Key>(hive, path, std::move(key));
    }
};

// [SECTION] Services ------------------------------------------------------------------------

class Win32Services final : public Services {
public:
    bool stop_and_set_start_type(std::string_view name, std::uint32_t start_type) override {
        UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
        if (!manager) {
            return false;
        }
        const std::string service_name(name);
        UniqueServiceHandle service(
            OpenServiceA(manager.get(), service_name.c_str(),
                         SERVICE_CHANGE_CONFIG | SERVICE_QUERY_STATUS | SERVICE_STOP));
        if (!service) {
            return false;
        }
        SERVICE_STATUS status{};
        ControlService(service.get(), SERVICE_CONTROL_STOP, &status); // not waited for
        return ChangeServiceConfigA(service.get(), SERVICE_NO_CHANGE, start_type, SERVICE_NO_CHANGE, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) != FALSE;
    }

    bool set_automatic_and_start(std::string_view name) override {
        UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
        if (!manager) {
            return false;
        }
        const std::string service_name(name);
        UniqueServiceHandle service(
            OpenServiceA(manager.get(), service_name.c_str(),
                         SERVICE_CHANGE_CONFIG | SERVICE_QUERY_STATUS | SERVICE_START));
        if (!service) {
            return false;
        }
        const BOOL changed =
            ChangeServiceConfigA(service.get(), SERVICE_NO_CHANGE, SERVICE_AUTO_START, SERVICE_NO_CHANGE,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        StartServiceA(service.get(), 0, nullptr); // already running is fine
        return changed != FALSE;
    }
};

// [SECTION] Commands ------------------------------------------------------------------------

class Win32Commands final : public Commands {
public:
    CommandOutcome run_hidden(std::string_view command, std::uint32_t wait_ms) override {
        const std::optional<std::string> line = build_command_line(command);
        if (!line) {
            return {};
        }
        // CreateProcessA may write into the command line, so it gets its own buffer.
        std::vector<char> writable(line->begin(), line->end());
        writable.push_back('\0');

        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        PROCESS_INFORMATION info{};
        if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                            nullptr, &startup, &info)) {
            return {};
        }
        UniqueKernelHandle process(info.hProcess);
        UniqueKernelHandle thread(info.hThread);
        WaitForSingleObject(process.get(), wait_ms);
        // A command still running reports STILL_ACTIVE and counts as failed; it is left to
        // finish on its own, and only our handles to it are closed.
        DWORD exit_code = 1;
        GetExitCodeProcess(process.get(), &exit_code);
        return {true, exit_code};
    }
};

// [SECTION] System settings -----------------------------------------------------------------

class Win32SystemSettings final : public SystemSettings {
public:
    bool system_parameters(std::uint32_t action, std::uint32_t param, const SpiArgument& argument,
                           std::uint32_t flags) override {
        std::vector<std::uint32_t> words = argument.words; // the call may write into the record
        void* pointer = nullptr;
        switch (argument.kind) {
        case SpiArgument::Kind::Null:
            break;
        case SpiArgument::Kind::Value:
            pointer = reinterpret_cast<void*>(argument.value);
            break;
        case SpiArgument::Kind::Words:
            pointer = words.data();
            break;
        }
        return SystemParametersInfoA(action, param, pointer, flags) != FALSE;
    }
};

// [SECTION] Security ------------------------------------------------------------------------

class Win32Security final : public Security {
public:
    bool enable_debug_privilege() override {
        UniqueKernelHandle token;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
            return false;
        }
        TOKEN_PRIVILEGES privileges{};
        if (!LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &privileges.Privileges[0].Luid)) {
            return false;
        }
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        return AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) == 1;
    }

    bool is_elevated() override {
        UniqueKernelHandle token;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
            return false;
        }
        TOKEN_ELEVATION elevation{};
        DWORD size = 0;
        if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) {
            return false;
        }
        return elevation.TokenIsElevated != 0;
    }

    void* resolve_optional(std::string_view module, std::string_view entry) override {
        const std::string module_name(module);
        const std::string entry_name(entry);
        HMODULE handle = GetModuleHandleA(module_name.c_str());
        if (handle == nullptr) {
            return nullptr;
        }
        return reinterpret_cast<void*>(GetProcAddress(handle, entry_name.c_str()));
    }
};

class Win32Machine final : public Machine {
public:
    Registry& registry() override { return registry_; }
    Services& services() override { return services_; }
    Commands& commands() override { return commands_; }
    SystemSettings& system_settings() override { return settings_; }
    Security& security() override { return security_; }
    Processes& processes() override { return processes_; }
    Files& files() override { return files_; }
    SystemState& system_state() override { return system_state_; }
    Sensors& sensors() override { return win32_sensors(); }

private:
    Win32Registry registry_;
    Win32Services services_;
    Win32Commands commands_;
    Win32SystemSettings settings_;
    Win32Security security_;
    Win32Processes processes_;
    Win32Files files_;
    Win32SystemState system_state_;
};

} // namespace

Machine& win32_machine() {
    static Win32Machine machine;
    return machine;
}

} // namespace tavrine
