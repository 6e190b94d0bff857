#include "engine/start_with_windows.h"

#include "engine/history.h"
#include "engine/primitives.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/processes.h"
#include "platform/registry_path.h"
#include "platform/run_keys.h"
#include "platform/tasks.h"
#include "platform/utf16_text.h"

namespace tavrine {

namespace {

constexpr char kLegacyRunValue[] = "DunmarrowOptimiser";

// Any name in any script, as the definition is UTF-16 text; refused are what XML cannot hold
// (control characters, U+FFFE and U+FFFF, text that is not UTF-8), the quote that closes the
// command, and '%', which the scheduler expands from the environment the user controls.
bool path_fits_task(std::string_view path) {
    const std::optional<std::u16string> units = utf16_from_utf8(path);
    if (path.empty() || !units || units->size() >= kMaxPath) {
        return false;
    }
    for (const char16_t unit : *units) {
        if (unit < 0x20 || unit == 0x7F || unit == 0xFFFE || unit == 0xFFFF || unit == u'"' || unit == u'%') {
            return false;
        }
    }
    return true;
}

std::string xml_escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<std::string> own_executable() {
    Processes& processes = current_machine().processes();
    return processes.image_path(processes.current_process_id());
}

std::string_view folder_of(std::string_view path) {
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// Where the protected copy lives; nullopt when the system names no Program Files folder.
std::optional<std::string> copy_folder(Files& files) {
    const std::optional<std::string> program_files = files.known_folder(KnownFolder::ProgramFiles);
    if (!program_files) {
        return std::nullopt;
    }
    return *program_files + "\\" + kStartupCopyFolder;
}

std::optional<std::string> copy_path(Files& files) {
    const std::optional<std::string> folder = copy_folder(files);
    return folder ? std::optional<std::string>(*folder + "\\" + kStartupCopyName) : std::nullopt;
}

bool runs_in_place(Files& files, std::string_view executable) {
    const std::string_view folder = folder_of(executable);
    return !folder.empty() && files.is_admin_only_folder(folder);
}

// Makes the file the task will start: this executable where it is when its folder is
// admin-only, else a fresh copy of it in the protected folder, written whole through a
// temporary file beside it. The copy needs nothing else beside it: fonts and libraries are
// inside the executable or loaded from System32.
std::optional<std::string> make_protected_file() {
    const std::optional<std::string> executable = own_executable();
    if (!executable) {
        return std::nullopt;
    }
    Files& files = current_machine().files();
    if (runs_in_place(files, *executable)) {
        return executable;
    }
    const std::optional<std::string> folder = copy_folder(files);
    const std::optional<std::string> target = copy_path(files);
    // The folder gets a protected access list and is checked after it is made: one a user
    // could write (made by someone else first, or opened up since) would let them swap the
    // file the task elevates.
    if (!folder || !target || !files.create_admin_only_folder(*folder) ||
        !files.is_admin_only_folder(*folder)) {
        return std::nullopt;
    }
    const std::optional<std::string> bytes = files.read_file(*executable);
    if (!bytes || bytes->empty() || !files.write_file_whole(*target, *bytes)) {
        return std::nullopt;
    }
    return target;
}

// The copy goes, unless the task now starts it or it is the program running now (started by
// the task from there).
void remove_copy_unless(std::string_view started_file) {
    Files& files = current_machine().files();
    const std::optional<std::string> copy = copy_path(files);
    const std::optional<std::string> executable = own_executable();
    if (copy && !iequals(*copy, started_file) && !(executable && iequals(*executable, *copy)) &&
        files.attributes(*copy)) {
        files.delete_file(*copy);
    }
}

bool register_for(std::string_view executable) {
    const std::optional<std::string> xml = startup_task_xml(executable);
    return xml && current_machine().tasks().register_task_xml(kStartupTaskName, *xml);
}

} // namespace

std::optional<std::string> startup_task_xml(std::string_view executable) {
    if (!path_fits_task(executable)) {
        return std::nullopt;
    }
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
        "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
        "  <RegistrationInfo>\r\n"
        "    <Description>Starts Tavrine Optimiser at logon.</Description>\r\n"
        "  </RegistrationInfo>\r\n"
        "  <Triggers>\r\n"
        "    <LogonTrigger>\r\n"
        "      <Enabled>true</Enabled>\r\n"
        "    </LogonTrigger>\r\n"
        "  </Triggers>\r\n"
        "  <Principals>\r\n"
        "    <Principal id=\"Author\">\r\n"
        "      <LogonType>InteractiveToken</LogonType>\r\n"
        "      <RunLevel>HighestAvailable</RunLevel>\r\n"
        "    </Principal>\r\n"
        "  </Principals>\r\n"
        "  <Settings>\r\n"
        "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
        "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
        "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
        "    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\r\n"
        "    <Enabled>true</Enabled>\r\n"
        "  </Settings>\r\n"
        "  <Actions Context=\"Author\">\r\n"
        "    <Exec>\r\n"
        "      <Command>\"";
    xml += xml_escaped(executable);
    xml += "\"</Command>\r\n"
           "    </Exec>\r\n"
           "  </Actions>\r\n"
           "</Task>\r\n";
    return xml;
}

bool startup_entry_exists() {
    Machine& machine = current_machine();
    ParsedRegistryPath run_key;
    parse_registry_path(kUserRunKey, run_key);
    if (RegistryKeyPtr run = machine.registry().open_key(run_key.hive, run_key.sub_key, KeyAccess::Read)) {
        if (run->query_value(kStartupTaskName) || run->query_value(kLegacyRunValue)) {
            return true;
        }
    }
    return machine.tasks().task_exists(kStartupTaskName);
}

std::optional<std::string> startup_executable() {
    const std::optional<std::string> executable = own_executable();
    if (!executable) {
        return std::nullopt;
    }
    Files& files = current_machine().files();
    return runs_in_place(files, *executable) ? executable : copy_path(files);
}

std::string start_with_windows_tip() {
    const std::optional<std::string> executable = own_executable();
    const std::optional<std::string> file = startup_executable();
    if (!file) {
        return "Logon task \xE2\x80\x94 unavailable: no folder only administrators can write was found.";
    }
    if (executable && iequals(*executable, *file)) {
        return "Logon task \xE2\x80\x94 starts " + *file +
               " at logon, where only administrators can change it.";
    }
    return "Logon task \xE2\x80\x94 starts " + *file +
           " at logon: a copy of this program where only administrators can change it (made when "
           "switched on, removed when switched off).";
}

bool enable_startup_task() {
    const std::optional<std::string> file = make_protected_file();
    if (!file || !register_for(*file)) {
        return false;
    }
    // Registered in place elsewhere: a copy left from before starts nothing any more.
    remove_copy_unless(*file);
    return true;
}

bool disable_startup_task() {
    Tasks& tasks = current_machine().tasks();
    if (tasks.task_exists(kStartupTaskName)) {
        tasks.delete_task(kStartupTaskName);
    }
    remove_copy_unless({});
    return !tasks.task_exists(kStartupTaskName);
}

bool set_start_with_windows(bool on) {
    // The copy is the program's own file, not a setting of the user's: it is made before the
    // history run and removed after it, so the history holds the task and the Run values only.
    std::optional<std::string> file = on ? make_protected_file() : std::nullopt;
    bool started = false;
    {
        // A change of the user's start-up is a run of its own in the history, so it can be undone.
        HistoryRun history("startup");
        // Neither Run value can ever start this program; both go whichever way the setting goes.
        delete_value(RegistryPath(kUserRunKey), kLegacyRunValue);
        delete_value(RegistryPath(kUserRunKey), kStartupTaskName);
        Tasks& tasks = current_machine().tasks();
        if (!on && tasks.task_exists(kStartupTaskName)) {
            tasks.delete_task(kStartupTaskName);
        }
        started = file && register_for(*file);
    }
    if (!on || started) {
        remove_copy_unless(started ? *file : std::string());
    }
    return started;
}

} // namespace tavrine
