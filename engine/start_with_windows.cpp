#include "engine/start_with_windows.h"

#include "engine/history.h"
#include "engine/primitives.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/processes.h"
#include "platform/read_back.h"

namespace tavrine {

namespace {

constexpr char kLegacyRunValue[] = "DunmarrowOptimiser";
constexpr char kTaskFileName[] = "TavrineOptimiser-logon-task.xml";

bool path_fits_task(std::string_view path) {
    if (path.empty() || path.size() >= kMaxPath) {
        return false;
    }
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '"' || c == '%') {
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
        default:
            out += c;
        }
    }
    return out;
}

// The task scheduler reads the definition as UTF-16; the text is ASCII by then.
std::string utf16_with_bom(std::string_view ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// The system's temporary folder first: an ordinary user may create files there but cannot
// change or replace one the administrator wrote, so the definition cannot be swapped between
// writing it and schtasks reading it (in the user's %TEMP% any program of that user could).
std::optional<std::string> task_file_path() {
    Files& files = current_machine().files();
    std::optional<std::string> folder = files.known_folder(KnownFolder::Windows);
    if (folder) {
        *folder += "\\Temp";
    }
    const std::optional<std::uint32_t> attributes = folder ? files.attributes(*folder) : std::nullopt;
    if (!attributes || (*attributes & kFileAttributeDirectory) == 0) {
        folder = files.temp_folder();
    }
    if (!folder || folder->empty() || !path_fits_task(*folder)) {
        return std::nullopt;
    }
    if (folder->back() != '\\') {
        *folder += '\\';
    }
    return *folder + kTaskFileName;
}

std::optional<std::string> own_executable() {
    Processes& processes = current_machine().processes();
    return processes.image_path(processes.current_process_id());
}

bool register_task(std::string_view executable) {
    const std::optional<std::string> xml = startup_task_xml(executable);
    const std::optional<std::string> file = task_file_path();
    if (!xml || !file) {
        return false;
    }
    Files& files = current_machine().files();
    if (!files.write_file_whole(*file, utf16_with_bom(*xml))) {
        return false;
    }
    const std::string command = "schtasks /create /xml \"" + *file + "\" /tn " + kStartupTaskName + " /f";
    const bool created = run_hidden_exit_code(command.c_str()) == 0;
    files.delete_file(*file);
    return created;
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
    if (RegistryKeyPtr run = machine.registry().open_key(
            Hive::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", KeyAccess::Read)) {
        if (run->query_value(kStartupTaskName) || run->query_value(kLegacyRunValue)) {
            return true;
        }
    }
    return logon_task_exists(machine.files());
}

bool register_startup_task() {
    const std::optional<std::string> executable = own_executable();
    return executable && register_task(*executable);
}

bool set_start_with_windows(bool on) {
    // A change of the user's start-up is a run of its own in the history, so it can be undone.
    HistoryRun history("startup");
    // Neither Run value can ever start this program; both go whichever way the setting goes.
    delete_value(RegistryPath(kRunKeyPath), kLegacyRunValue);
    delete_value(RegistryPath(kRunKeyPath), kStartupTaskName);
    if (!on) {
        const std::string command = std::string("schtasks /delete /tn ") + kStartupTaskName + " /f";
        run_hidden_exit_code(command.c_str());
        return false;
    }
    return register_startup_task();
}

} // namespace tavrine
