#include "platform/win32/win32_machine.h"

#include "platform/command_line.h"
#include "platform/read_back.h"
#include "platform/win32/win32_entry_points.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_sensors.h"
#include "platform/win32/win32_system_state.h"
#include "platform/win32/win32_tasks.h"
#include "platform/win32/win32_wide_text.h"

#include <cstdio>
#include <cstring>
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

bool holds_text(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Text data as the program holds it (UTF-8, its nulls included) in the UTF-16 Windows keeps
// and its own tools read; nullopt when it is not well-formed UTF-8.
std::optional<std::wstring> stored_text(const std::uint8_t* data, std::uint32_t size) {
    return win32::wide_from_utf8(std::string_view(reinterpret_cast<const char*>(data), size));
}

// Stored UTF-16 text back as UTF-8; a unit it cannot carry (a lone surrogate, an odd last
// byte) shows as U+FFFD, as the code-page reads always did, so the value still reads as there.
std::vector<std::uint8_t> held_text(const std::vector<std::uint8_t>& data) {
    std::wstring units(data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(units.data(), data.data(), units.size() * sizeof(wchar_t));
    const std::string text = win32::shown_utf8_from_wide(units);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// A key's path or a value's name for a wide call (an empty name is the default value).
std::optional<std::wstring> registry_name(std::string_view name) {
    return win32::wide_name_from_utf8(name);
}

class Win32Key final : public RegistryKey {
public:
    Win32Key(Hive hive, std::string sub_key, UniqueHkey key)
        : hive_(hive), sub_key_(std::move(sub_key)), key_(std::move(key)) {}

    Hive hive() const override { return hive_; }
    const std::string& sub_key() const override { return sub_key_; }

    bool set_value(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t size) override {
        const std::optional<std::wstring> value_name = registry_name(name);
        if (!value_name) {
            return false;
        }
        if (!holds_text(type)) {
            return RegSetValueExW(key_.get(), value_name->c_str(), 0, type, data, size) == ERROR_SUCCESS;
        }
        const std::optional<std::wstring> text = stored_text(data, size);
        return text && RegSetValueExW(key_.get(), value_name->c_str(), 0, type,
                                      reinterpret_cast<const BYTE*>(text->data()),
                                      static_cast<DWORD>(text->size() * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

    std::optional<RegistryValue> query_value(std::string_view name) override {
        const std::optional<std::wstring> value_name = registry_name(name);
        if (!value_name) {
            return std::nullopt;
        }
        // Asked until the buffer holds it: the value may grow between the two calls.
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD type = 0;
            DWORD size = 0;
            if (RegQueryValueExW(key_.get(), value_name->c_str(), nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS) {
                return std::nullopt;
            }
            RegistryValue value{type, std::vector<std::uint8_t>(size)};
            const LSTATUS status =
                RegQueryValueExW(key_.get(), value_name->c_str(), nullptr, &type, value.data.data(), &size);
            if (status == ERROR_MORE_DATA) {
                continue;
            }
            if (status != ERROR_SUCCESS) {
                return std::nullopt;
            }
            value.data.resize(size);
            value.type = type;
            if (holds_text(type)) {
                value.data = held_text(value.data);
            }
            return value;
        }
        return std::nullopt;
    }

    bool delete_value(std::string_view name) override {
        const std::optional<std::wstring> value_name = registry_name(name);
        return value_name && RegDeleteValueW(key_.get(), value_name->c_str()) == ERROR_SUCCESS;
    }

    // A name with a lone surrogate has no UTF-8 spelling: it shows with U+FFFD, which opens
    // nothing, rather than ending the enumeration early and hiding the names after it.
    std::optional<std::string> sub_key_name(std::uint32_t index) override {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key_.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        return win32::shown_utf8_from_wide(std::wstring_view(name, length));
    }

    std::optional<std::string> value_name(std::uint32_t index) override {
        std::vector<wchar_t> name(16384);
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueW(key_.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        return win32::shown_utf8_from_wide(std::wstring_view(name.data(), length));
    }

private:
    Hive hive_;
    std::string sub_key_;
    UniqueHkey key_;
};

class Win32Registry final : public Registry {
public:
    RegistryKeyPtr create_key(Hive hive, std::string_view sub_key) override {
        const std::optional<std::wstring> path = registry_name(sub_key);
        UniqueHkey key;
        if (!path || RegCreateKeyExW(root_of(hive), path->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
            return nullptr;
        }
        return std::make_unique<Win32Key>(hive, std::string(sub_key), std::move(key));
    }

    RegistryKeyPtr open_key(Hive hive, std::string_view sub_key, KeyAccess access) override {
        const std::optional<std::wstring> path = registry_name(sub_key);
        UniqueHkey key;
        if (!path ||
            RegOpenKeyExW(root_of(hive), path->c_str(), 0, sam_of(access), key.put()) != ERROR_SUCCESS) {
            return nullptr;
        }
        return std::make_unique<Win32Key>(hive, std::string(sub_key), std::move(key));
    }

    bool delete_empty_key(Hive hive, std::string_view sub_key) override {
        const std::optional<std::wstring> path = registry_name(sub_key);
        if (!path || path->empty()) {
            return false; // a hive's root is never deleted
        }
        {
            UniqueHkey key;
            DWORD sub_keys = 0;
            DWORD values = 0;
            if (RegOpenKeyExW(root_of(hive), path->c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS ||
                RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &sub_keys, nullptr, nullptr, &values,
                                 nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
                sub_keys != 0 || values != 0) {
                return false;
            }
        }
        // RegDeleteKeyW itself refuses a key with sub-keys; it would take values along, so they
        // were counted just above.
        return RegDeleteKeyW(root_of(hive), path->c_str()) == ERROR_SUCCESS;
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
    opened.manager.reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const std::optional<std::wstring> service_name = win32::wide_name_from_utf8(name);
    if (opened.manager && service_name) {
        opened.service.reset(OpenServiceW(opened.manager.get(), service_name->c_str(), access));
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
        return ChangeServiceConfigW(opened.service.get(), SERVICE_NO_CHANGE, start_type, SERVICE_NO_CHANGE,
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
            ChangeServiceConfigW(opened.service.get(), SERVICE_NO_CHANGE, start_type, SERVICE_NO_CHANGE,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        StartServiceW(opened.service.get(), 0, nullptr); // already running is fine
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
        QueryServiceConfigW(service.get(), nullptr, 0, &needed);
        if (needed == 0) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> buffer(needed);
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        SERVICE_STATUS status{};
        if (!QueryServiceConfigW(service.get(), config, needed, &needed) ||
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
// ends in a null, and one more null ends the block. nullopt when a variable is not text.
std::optional<std::wstring> environment_block(const std::vector<std::string>& variables) {
    std::wstring block;
    for (const std::string& variable : variables) {
        const std::optional<std::wstring> wide = win32::wide_name_from_utf8(variable);
        if (!wide) {
            return std::nullopt;
        }
        block += *wide;
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
        // The command's own bytes are fixed ASCII; the system folder's path inside it (and as
        // the interpreter's and the working folder) may be in any script.
        const std::optional<std::wstring> interpreter = win32::wide_name_from_utf8(interpreter_path(*system));
        const std::optional<std::wstring> folder = win32::wide_name_from_utf8(*system);
        std::optional<std::wstring> environment = environment_block(command_environment(*windows, *system));
        // CreateProcessW may write into the command line, so it gets its own buffer.
        std::optional<std::wstring> writable = win32::wide_name_from_utf8(*line);
        if (!interpreter || !folder || !environment || !writable) {
            return {};
        }

        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(interpreter->c_str(), writable->data(), nullptr, nullptr, FALSE,
                            CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, environment->data(),
                            folder->c_str(), &startup, &info)) {
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
        // ASCII by construction: no action the program passes carries text, only word records,
        // which the A and W forms read alike.
        return SystemParametersInfoA(action, param, pointer, flags) != FALSE;
    }

    std::optional<std::vector<std::uint32_t>> read_parameters(std::uint32_t action, std::uint32_t param,
                                                              std::vector<std::uint32_t> buffer) override {
        // Windows writes the action's whole structure into the buffer, whatever its size.
        if (buffer.empty() || spi_buffer_words(action) != buffer.size() ||
            !SystemParametersInfoA(action, param, buffer.data(), 0)) { // word records only, as above
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
        // ASCII by construction: a fixed privilege name.
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
