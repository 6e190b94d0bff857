#include "platform/win32_machine.h"

#include "platform/command_line.h"
#include "platform/read_back.h"
#include "platform/win32_entry_points.h"
#include "platform/win32_files.h"
#include "platform/win32_handles.h"
#include "platform/win32_libraries.h"
#include "platform/win32_processes.h"
#include "platform/win32_sensors.h"
#include "platform/win32_system_state.h"
#include "platform/win32_tasks.h"
#include "platform/win32_wide_text.h"

#include <cstdio>
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

    bool delete_empty_key(Hive hive, std::string_view sub_key) override {
        const std::string path(sub_key);
        if (path.empty()) {
            return false; // a hive's root is never deleted
        }
        {
            UniqueHkey key;
            DWORD sub_keys = 0;
            DWORD values = 0;
            if (RegOpenKeyExA(root_of(hive), path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS ||
                RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &sub_keys, nullptr, nullptr, &values,
                                 nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
                sub_keys != 0 || values != 0) {
                return false;
            }
        }
        // RegDeleteKeyA itself refuses a key with sub-keys; it would take values along, so they
        // were counted just above.
        return RegDeleteKeyA(root_of(hive), path.c_str()) == ERROR_SUCCESS;
    }
};

// [SECTION] Services ------------------------------------------------------------------------

// The service manager and one service in it, both closed when it goes. `service` is null when
// either open failed, and `error` says why.
struct OpenedService {
    UniqueServiceHandle manager;
    UniqueServiceHandle service;
    DWORD error = ERROR_SUCCESS;
};

OpenedService open_service(std::string_view name, DWORD access) {
    OpenedService opened;
    opened.manager.reset(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (opened.manager) {
        const std::string service_name(name);
        opened.service.reset(OpenServiceA(opened.manager.get(), service_name.c_str(), access));
    }
    opened.error = opened.service ? ERROR_SUCCESS : GetLastError();
    return opened;
}

class Win32Services final : public Services {
public:
    bool stop_and_set_start_type(std::string_view name, std::uint32_t start_type) override {
        const OpenedService opened =
            open_service(name, SERVICE_CHANGE_CONFIG | SERVICE_QUERY_STATUS | SERVICE_STOP);
        if (!opened.service) {
            return false;
        }
        SERVICE_STATUS status{};
        ControlService(opened.service.get(), SERVICE_CONTROL_STOP, &status); // not waited for
        return ChangeServiceConfigA(opened.service.get(), SERVICE_NO_CHANGE, start_type, SERVICE_NO_CHANGE,
                                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) != FALSE;
    }

    bool set_automatic_and_start(std::string_view name) override {
        return set_start_type_and_start(name, SERVICE_AUTO_START);
    }

    bool set_start_type_and_start(std::string_view name, std::uint32_t start_type) override {
        const OpenedService opened =
            open_service(name, SERVICE_CHANGE_CONFIG | SERVICE_QUERY_STATUS | SERVICE_START);
        if (!opened.service) {
            return false;
        }
        const BOOL changed =
            ChangeServiceConfigA(opened.service.get(), SERVICE_NO_CHANGE, start_type, SERVICE_NO_CHANGE,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        StartServiceA(opened.service.get(), 0, nullptr); // already running is fine
        return changed != FALSE;
    }

    std::optional<ServiceState> query_service(std::string_view name) override {
        const OpenedService opened = open_service(name, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS);
        if (!opened.manager) {
            return std::nullopt;
        }
        const UniqueServiceHandle& service = opened.service;
        if (!service) {
            if (opened.error == ERROR_SERVICE_DOES_NOT_EXIST) {
                return ServiceState{.exists = false};
            }
            return std::nullopt;
        }
        // The first call only asks for the size: the record is followed by its strings.
        DWORD needed = 0;
        QueryServiceConfigA(service.get(), nullptr, 0, &needed);
        if (needed == 0) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> buffer(needed);
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
        SERVICE_STATUS status{};
        if (!QueryServiceConfigA(service.get(), config, needed, &needed) ||
            !QueryServiceStatus(service.get(), &status)) {
            return std::nullopt;
        }
        return ServiceState{.exists = true,
                            .start_type = config->dwStartType,
                            .running = status.dwCurrentState != SERVICE_STOPPED};
    }
};

// [SECTION] Commands ------------------------------------------------------------------------

// The environment block CreateProcessW takes with CREATE_UNICODE_ENVIRONMENT: each variable
// ends in a null, and one more null ends the block.
std::wstring environment_block(const std::vector<std::string>& variables) {
    std::wstring block;
    for (const std::string& variable : variables) {
        block += win32::wide_from_utf8(variable);
        block += L'\0';
    }
    block += L'\0';
    return block;
}

class Win32Commands final : public Commands {
public:
    explicit Win32Commands(Files& files) : files_(files) {}

    CommandOutcome run_hidden(std::string_view command, std::uint32_t wait_ms) override {
        // The interpreter, its working folder and its environment all come from the system:
        // the current folder, PATH and the user's variables are writable by programs without
        // administrator rights, and this runs as administrator.
        const std::optional<std::string> windows = files_.known_folder(KnownFolder::Windows);
        const std::optional<std::string> system = files_.known_folder(KnownFolder::System);
        if (!windows || !system) {
            return {};
        }
        const std::optional<std::string> line = build_command_line(*system, command);
        if (!line) {
            return {};
        }
        const std::wstring interpreter = win32::wide_from_utf8(interpreter_path(*system));
        const std::wstring folder = win32::wide_from_utf8(*system);
        std::wstring environment = environment_block(command_environment(*windows, *system));
        // CreateProcessW may write into the command line, so it gets its own buffer.
        std::wstring writable = win32::wide_from_utf8(*line);

        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(interpreter.c_str(), writable.data(), nullptr, nullptr, FALSE,
                            CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, environment.data(), folder.c_str(),
                            &startup, &info)) {
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

private:
    Files& files_;
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
            // Windows reads the action's whole structure from the pointer.
            if (spi_buffer_words(action) != words.size()) {
                return false;
            }
            pointer = words.data();
            break;
        }
        return SystemParametersInfoA(action, param, pointer, flags) != FALSE;
    }

    std::optional<std::vector<std::uint32_t>> read_parameters(std::uint32_t action, std::uint32_t param,
                                                              std::vector<std::uint32_t> buffer) override {
        // Windows writes the action's whole structure into the buffer, whatever its size.
        if (buffer.empty() || spi_buffer_words(action) != buffer.size() ||
            !SystemParametersInfoA(action, param, buffer.data(), 0)) {
            return std::nullopt;
        }
        return buffer;
    }

    std::optional<std::string> active_power_scheme() override {
        PowerLibrary power;
        const auto get_active = power.entry<DWORD(WINAPI*)(HKEY, GUID**)>("PowerGetActiveScheme");
        GUID* scheme = nullptr;
        if (get_active == nullptr || get_active(nullptr, &scheme) != ERROR_SUCCESS || scheme == nullptr) {
            return std::nullopt;
        }
        std::string text = guid_text(*scheme);
        LocalFree(scheme);
        return text;
    }

    bool activate_power_scheme(std::string_view guid) override {
        PowerLibrary power;
        const auto set_active = power.entry<DWORD(WINAPI*)(HKEY, const GUID*)>("PowerSetActiveScheme");
        const std::optional<GUID> scheme = guid_of(guid);
        return set_active != nullptr && scheme && set_active(nullptr, &*scheme) == ERROR_SUCCESS;
    }

    std::optional<std::uint32_t> read_power_index(const PowerSetting& setting) override {
        using ReadIndex = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, DWORD*);
        PowerLibrary power;
        const auto read =
            power.entry<ReadIndex>(setting.ac ? "PowerReadACValueIndex" : "PowerReadDCValueIndex");
        const auto scheme = guid_of(setting.scheme);
        const auto group = guid_of(setting.sub_group);
        const auto id = guid_of(setting.setting);
        DWORD value = 0;
        if (read == nullptr || !scheme || !group || !id ||
            read(nullptr, &*scheme, &*group, &*id, &value) != 0) {
            return std::nullopt;
        }
        return value;
    }

    bool write_power_index(const PowerSetting& setting, std::uint32_t value) override {
        using WriteIndex = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, DWORD);
        PowerLibrary power;
        const auto write =
            power.entry<WriteIndex>(setting.ac ? "PowerWriteACValueIndex" : "PowerWriteDCValueIndex");
        const auto scheme = guid_of(setting.scheme);
        const auto group = guid_of(setting.sub_group);
        const auto id = guid_of(setting.setting);
        if (write == nullptr || !scheme || !group || !id ||
            write(nullptr, &*scheme, &*group, &*id, value) != ERROR_SUCCESS) {
            return false;
        }
        // A written index takes effect once its scheme is applied again.
        if (active_power_scheme() == setting.scheme) {
            activate_power_scheme(setting.scheme);
        }
        return true;
    }

private:
    // powrprof.dll is looked up at each call, like every other optional entry point.
    class PowerLibrary {
    public:
        template <class Entry> Entry entry(const char* name) const {
            return win32::entry_point<Entry>(module_.get(), name);
        }

    private:
        win32::UniqueModule module_{win32::load_system_library("powrprof.dll")};
    };

    static std::string guid_text(const GUID& guid) {
        char text[40];
        std::snprintf(text, sizeof text, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                      static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                      guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                      guid.Data4[6], guid.Data4[7]);
        return text;
    }

    static std::optional<GUID> guid_of(std::string_view text) {
        if (!is_guid(text)) {
            return std::nullopt;
        }
        const std::string digits(text);
        unsigned long data1 = 0;
        unsigned int words[2] = {};
        unsigned int bytes[8] = {};
        if (std::sscanf(digits.c_str(), "%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x", &data1, &words[0],
                        &words[1], &bytes[0], &bytes[1], &bytes[2], &bytes[3], &bytes[4], &bytes[5],
                        &bytes[6], &bytes[7]) != 11) {
            return std::nullopt;
        }
        GUID guid{};
        guid.Data1 = data1;
        guid.Data2 = static_cast<unsigned short>(words[0]);
        guid.Data3 = static_cast<unsigned short>(words[1]);
        for (int i = 0; i < 8; ++i) {
            guid.Data4[i] = static_cast<unsigned char>(bytes[i]);
        }
        return guid;
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
        return win32::loaded_entry_point<void*>(std::string(module).c_str(), std::string(entry).c_str());
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
    Tasks& tasks() override { return tasks_; }

private:
    Win32Files files_; // before the commands, which ask it for the system's folders
    Win32Registry registry_;
    Win32Services services_;
    Win32Commands commands_{files_};
    Win32SystemSettings settings_;
    Win32Security security_;
    Win32Processes processes_;
    Win32SystemState system_state_;
    Win32Tasks tasks_;
};

} // namespace

Machine& win32_machine() {
    static Win32Machine machine;
    return machine;
}

} // namespace tavrine
