#pragma once
// The one narrow door to the machine. Every registry value, service, command and system
// setting the program changes passes through a `Machine`, grouped by concern. Three backends
// implement it: the real Win32 one, an in-memory fake for native tests, and a recording
// decorator that reads through and only records writes (the `plan` preview).
//
// Index:
//   [SECTION] Registry
//   [SECTION] Services
//   [SECTION] Commands
//   [SECTION] System settings
//   [SECTION] Security and optional entry points
//   (processes and threads: platform/processes.h; files and volumes: platform/files.h;
//    scheduled tasks: platform/tasks.h;
//    timer, execution state, memory lists and other process-wide requests: platform/system_state.h;
//    hardware sensors behind the HUD: platform/sensors.h)
//   [SECTION] Machine and the current backend

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine {

// [SECTION] Registry ------------------------------------------------------------------------

enum class Hive : std::uint8_t { LocalMachine, CurrentUser, Users };

// Short prefix used when a key is shown to a person ("HKLM\...").
const char* hive_prefix(Hive hive);

enum class KeyAccess : std::uint8_t {
    SetValue,  // KEY_SET_VALUE: every create/open-to-write
    Read,      // KEY_READ: walks and reads
    ReadWrite, // KEY_READ | KEY_SET_VALUE: a key handed to a walk visitor
};

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// An open key. Closing happens in the destructor, so no path can leak a handle.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    virtual Hive hive() const = 0;
    virtual const std::string& sub_key() const = 0;
    virtual bool set_value(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                           std::uint32_t size) = 0;
    virtual std::optional<RegistryValue> query_value(std::string_view name) = 0;
    virtual bool delete_value(std::string_view name) = 0;
    // Sub-key names by index, as RegEnumKeyExW hands them out (in UTF-8); nullopt past the end.
    virtual std::optional<std::string> sub_key_name(std::uint32_t index) = 0;
    virtual std::optional<std::string> value_name(std::uint32_t index) = 0;
};
using RegistryKeyPtr = std::unique_ptr<RegistryKey>;

class Registry {
public:
    virtual ~Registry() = default;
    // Creates missing keys, parents included; opened for KEY_SET_VALUE.
    virtual RegistryKeyPtr create_key(Hive hive, std::string_view sub_key) = 0;
    // Opens an existing key; null when it does not exist or access is refused.
    virtual RegistryKeyPtr open_key(Hive hive, std::string_view sub_key, KeyAccess access) = 0;
    // Deletes a key that holds no values and no sub-keys (how an undo takes back a key its run
    // created); false when the key is missing, not empty or cannot be deleted. A key somebody
    // filled since is never taken away with what they put in it.
    virtual bool delete_empty_key(Hive hive, std::string_view sub_key) = 0;
};

// True when an open key holds no values and no sub-keys.
bool key_is_empty(RegistryKey& key);

// [SECTION] Services ------------------------------------------------------------------------

// What the service manager says of one service, for telling whether a change is already made.
struct ServiceState {
    bool exists = true;           // false: no such service, so a change to it changes nothing
    std::uint32_t start_type = 0; // SERVICE_BOOT_START (0) .. SERVICE_DISABLED (4)
    bool running = false;         // anything but SERVICE_STOPPED
};

inline constexpr std::uint32_t kServiceAutoStart = 2;

class Services {
public:
    virtual ~Services() = default;
    // Stop control (not waited for), then the start type. False when the service cannot be
    // opened; the caller never acts on it.
    virtual bool stop_and_set_start_type(std::string_view name, std::uint32_t start_type) = 0;
    // Start type automatic, then a start request (a refusal because it already runs is fine).
    virtual bool set_automatic_and_start(std::string_view name) = 0;
    // Any start type, then a start request: how an undo puts back a service that ran without
    // being set to start automatically (one started on demand or by a trigger).
    virtual bool set_start_type_and_start(std::string_view /*name*/, std::uint32_t /*start_type*/) {
        return false;
    }
    // QueryServiceConfigW and QueryServiceStatus. nullopt when the state cannot be read (no
    // access, or a backend that cannot tell); a missing service reads as exists == false.
    virtual std::optional<ServiceState> query_service(std::string_view /*name*/) { return std::nullopt; }
};

// [SECTION] Commands ------------------------------------------------------------------------

struct CommandOutcome {
    bool started = false;
    std::uint32_t exit_code = 1; // 259 (STILL_ACTIVE) when the wait ran out first
};

inline constexpr std::uint32_t kStillActive = 259;

class Commands {
public:
    virtual ~Commands() = default;
    // Runs `command` hidden through the command interpreter and waits up to `wait_ms`.
    // A command still running after the wait is left running, its handles closed.
    virtual CommandOutcome run_hidden(std::string_view command, std::uint32_t wait_ms) = 0;
};

// [SECTION] System settings -----------------------------------------------------------------

// The pointer argument of one SystemParametersInfoA call. Every record the program passes is
// a run of 32-bit fields (STICKYKEYS, FILTERKEYS, ANIMATIONINFO, the mouse triple).
struct SpiArgument {
    enum class Kind : std::uint8_t { Null, Value, Words } kind = Kind::Null;
    std::uintptr_t value = 0; // Kind::Value: the integer passed in the pointer slot
    std::vector<std::uint32_t> words;
};

// One power setting's index in one scheme: GUIDs in lower case, without braces.
struct PowerSetting {
    std::string scheme;
    std::string sub_group;
    std::string setting;
    bool ac = true; // the plugged-in index; false: the on-battery one
    bool operator==(const PowerSetting&) const = default;
};

class SystemSettings {
public:
    virtual ~SystemSettings() = default;
    virtual bool system_parameters(std::uint32_t action, std::uint32_t param, const SpiArgument& argument,
                                   std::uint32_t flags) = 0;
    // A SPI_GET action reading into `buffer` (a record's size already in its first word where
    // the action wants one); the buffer as the call left it, nullopt when the call fails.
    virtual std::optional<std::vector<std::uint32_t>> read_parameters(std::uint32_t /*action*/,
                                                                      std::uint32_t /*param*/,
                                                                      std::vector<std::uint32_t> /*buffer*/) {
        return std::nullopt;
    }
    // PowerGetActiveScheme: the active power scheme's GUID in lower case, without braces;
    // nullopt when it cannot be read.
    virtual std::optional<std::string> active_power_scheme() { return std::nullopt; }
    // PowerSetActiveScheme.
    virtual bool activate_power_scheme(std::string_view /*guid*/) { return false; }
    // PowerReadACValueIndex / PowerReadDCValueIndex; nullopt when it cannot be read.
    virtual std::optional<std::uint32_t> read_power_index(const PowerSetting& /*setting*/) {
        return std::nullopt;
    }
    // PowerWriteACValueIndex / PowerWriteDCValueIndex, then the scheme re-applied when it is the
    // active one (as "powercfg /setactive SCHEME_CURRENT" does), so the value takes effect.
    virtual bool write_power_index(const PowerSetting& /*setting*/, std::uint32_t /*value*/) { return false; }
};

// [SECTION] Security and optional entry points --------------------------------------------

class Security {
public:
    virtual ~Security() = default;
    virtual bool enable_debug_privilege() = 0;
    // True when the process runs with administrator rights.
    virtual bool is_elevated() = 0;
    // GetProcAddress(GetModuleHandleA(module), entry), looked up at each use, never cached.
    virtual void* resolve_optional(std::string_view module, std::string_view entry) = 0;
};

// [SECTION] Machine and the current backend ----------------------------------------------

class Processes;   // platform/processes.h
class Files;       // platform/files.h
class SystemState; // platform/system_state.h
class Sensors;     // platform/sensors.h
class Tasks;       // platform/tasks.h

class Machine {
public:
    virtual ~Machine() = default;
    virtual Registry& registry() = 0;
    virtual Services& services() = 0;
    virtual Commands& commands() = 0;
    virtual SystemSettings& system_settings() = 0;
    virtual Security& security() = 0;
    virtual Processes& processes() = 0;
    virtual Files& files() = 0;
    virtual SystemState& system_state() = 0;
    virtual Sensors& sensors() = 0;
    virtual Tasks& tasks() = 0;
    // A remark for a person reading a preview; real backends ignore it.
    virtual void note(std::string_view /*text*/) {}
};

// The backend every primitive uses. Chosen once by start-up code or a test; never null.
Machine& current_machine();
// Installs `machine` (not owned) and returns the previous backend. Null restores the default,
// which on Windows is the real machine and elsewhere an empty fake.
Machine* set_current_machine(Machine* machine);

// Installs `machine` (not owned) for the calling thread only, over whatever is installed for
// the process; null removes it. Returns the previous override of this thread (null for none).
// A reader on a background thread (the module states) previews through this, so a pipeline
// worker on another thread never writes through its recorder, and it never sees theirs.
Machine* set_thread_machine(Machine* machine);

// Installs a backend for one scope and puts the previous one back when the scope ends.
class ScopedMachine {
public:
    explicit ScopedMachine(Machine& machine) : previous_(set_current_machine(&machine)) {}
    ~ScopedMachine() { set_current_machine(previous_); }
    ScopedMachine(const ScopedMachine&) = delete;
    ScopedMachine& operator=(const ScopedMachine&) = delete;

private:
    Machine* previous_;
};

// The same for the calling thread only.
class ScopedThreadMachine {
public:
    explicit ScopedThreadMachine(Machine& machine) : previous_(set_thread_machine(&machine)) {}
    ~ScopedThreadMachine() { set_thread_machine(previous_); }
    ScopedThreadMachine(const ScopedThreadMachine&) = delete;
    ScopedThreadMachine& operator=(const ScopedThreadMachine&) = delete;

private:
    Machine* previous_;
};

} // namespace tavrine
