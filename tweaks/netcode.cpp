#include "tweaks/netcode.h"

#include "engine/changes.h"
#include "engine/target_exe.h"
#include "platform/ascii.h"
#include "platform/processes.h"
#include "process/game_clamp.h"
#include "process/process_image_path.h"

#include <cstdio>

namespace tavrine {

namespace {

constexpr const char* kTcpipParameters = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr const char* kInterfaces = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
constexpr const char* kPsched = "HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Psched";

constexpr const char* kPhysicalAdapterScript =
    "powershell -NoProfile -Command \"Get-NetAdapter -Physical | Where-Object Status -eq 'Up' | "
    "ForEach-Object { $n=$_.Name; $props=@('Interrupt Moderation','Energy-Efficient Ethernet','Green "
    "Ethernet','Ultra Low Power Mode','Power Saving Mode','Enable PME','Flow Control','Jumbo Packet'); "
    "foreach($p in $props){ try { $val = if($p -eq 'Jumbo Packet'){'Disabled'} elseif($p -eq 'Flow "
    "Control'){'Disabled'} else {'Disabled'}; Set-NetAdapterAdvancedProperty -Name $n -DisplayName $p "
    "-DisplayValue $val -ErrorAction SilentlyContinue } catch {} }; try { Disable-NetAdapterPowerManagement "
    "-Name $n -ErrorAction SilentlyContinue } catch {} }\"";

constexpr const char* kWirelessAdapterScript =
    "powershell -NoProfile -Command \"Get-NetAdapter | Where-Object { $_.Status -eq 'Up' -and ($_.Name "
    "-match 'Wi-?Fi|Wireless|WLAN' -or $_.InterfaceDescription -match 'Wireless|Wi-Fi|802.11|WLAN') } | "
    "ForEach-Object { Disable-NetAdapterPowerManagement -Name $_.Name -ErrorAction SilentlyContinue; foreach "
    "($p in @('Power Saving Mode','Energy-Efficient Ethernet','Green Ethernet','Ultra Low Power Mode','Wake "
    "on "
    "Magic Packet','Wake on pattern match','Priority VLAN Tag','Interrupt Moderation')) { try { "
    "Set-NetAdapterAdvancedProperty -Name $_.Name -DisplayName $p -DisplayValue 'Disabled' -ErrorAction "
    "SilentlyContinue } catch {} }; try { Set-NetAdapterAdvancedProperty -Name $_.Name -DisplayName 'Roaming "
    "Aggressiveness' -DisplayValue 'Medium-High' -ErrorAction SilentlyContinue } catch {} }\"";

constexpr const char* kQosCommandFormat =
    "powershell -NoProfile -Command \"foreach ($n in 'TavrineQoS','DunmarrowQoS') { Get-NetQosPolicy -Name "
    "$n "
    "-EA SilentlyContinue | Remove-NetQosPolicy -Confirm:$false -EA SilentlyContinue }; New-NetQosPolicy "
    "-Name "
    "'TavrineQoS' -AppPathNameMatchCondition '%s' -IPProtocolMatchCondition Both -DSCPAction 46 -EA "
    "SilentlyContinue\"";

// The same script for the encoded form: the path arrives as its bytes, decoded in the system's
// ANSI code page (what Windows PowerShell's Encoding.Default is), so no character of it is
// ever read as syntax.
constexpr const char* kQosScriptPrefix = "$p = [Text.Encoding]::Default.GetString([byte[]](";
constexpr const char* kQosScriptSuffix =
    ")); foreach ($n in 'TavrineQoS','DunmarrowQoS') { Get-NetQosPolicy -Name $n -EA SilentlyContinue | "
    "Remove-NetQosPolicy -Confirm:$false -EA SilentlyContinue }; New-NetQosPolicy -Name 'TavrineQoS' "
    "-AppPathNameMatchCondition $p -IPProtocolMatchCondition Both -DSCPAction 46 -EA SilentlyContinue";

constexpr const char* kWirelessSubGroup = "19cbb8fa-5279-450e-9fac-8a3d5fedd0c1";
constexpr const char* kWirelessPowerSaving = "12bbebe6-58d6-4636-95bb-3217ef867c1a";
constexpr const char* kPciExpressSubGroup = "501a4d13-42af-4429-9fd1-a8210c268632";
constexpr const char* kLinkStatePowerManagement = "ee12f906-d277-404b-b6da-e5fa1a576df5";

// clang-format off
constexpr Change kNetworkStack[] = {
    run("netsh int tcp set global autotuninglevel=normal"),
    run("netsh int tcp set global rss=enabled"),
    run("netsh int tcp set global rsc=disabled"),
    run("netsh int tcp set global ecncapability=disabled"),
    run("netsh int tcp set heuristics disabled"),
    run("netsh int tcp set global timestamps=disabled"),
    run("netsh int tcp set global nonsackrttresiliency=disabled"),
    run("netsh int tcp set global fastopen=enabled"),
    run("netsh int tcp set global chimney=disabled"),
    service_stop("DiagTrack", 3),
    service_stop("dmwappushservice", 3),
    service_stop("MapsBroker", 3),
    service_stop("WMPNetworkSvc", 3),
    service_stop("XblAuthManager", 3),
    service_stop("XblGameSave", 3),
    service_stop("XboxNetApiSvc", 3),
    service_stop("Fax", 3),
    service_stop("RemoteRegistry", 3),
    service_stop("RetailDemo", 3),
    service_stop("PhoneSvc", 3),
    service_stop("WpcMonSvc", 3),
    run("ipconfig /flushdns"),
    run("ipconfig /registerdns"),
    run("netsh int tcp set global rss=enabled"),
    run(kPhysicalAdapterScript),
    call(set_interface_tcp_values),
    dword("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile",
          "NetworkThrottlingIndex", 0xFFFFFFFF),
    dword(kPsched, "NonBestEffortLimit", 0),
    dword(kTcpipParameters, "DefaultTTL", 64),
    dword(kTcpipParameters, "TcpMaxDupAcks", 2),
    run("netsh int ipv4 set dynamicport tcp start=1025 num=64511"),
    run("netsh interface teredo set state disabled"),
    run("netsh interface 6to4 set state disabled"),
    run("netsh interface isatap set state disabled"),
};

constexpr Change kWifiLatency[] = {
    power_pair(kWirelessSubGroup, kWirelessPowerSaving, "0"),
    power_pair(kPciExpressSubGroup, kLinkStatePowerManagement, "0"),
    run("powercfg /setactive SCHEME_CURRENT"),
    run("netsh wlan set autoconfig enabled=yes interface=* >nul 2>&1"),
    run(kWirelessAdapterScript),
    run("netsh int tcp set heuristics disabled"),
    run("ipconfig /flushdns"),
};

constexpr Change kNagleOff[] = {
    dword(kTcpipParameters, "TCPNoDelay", 1),
    dword(kTcpipParameters, "TcpAckFrequency", 1),
    dword(kTcpipParameters, "TcpDelAckTicks", 0),
    dword("HKLM\\SOFTWARE\\Microsoft\\MSMQ\\Parameters", "TCPNoDelay", 1),
    dword(kPsched, "NonBestEffortLimit", 0),
    call(set_interface_tcp_values),
};
// clang-format on

// Interface keys are named by GUID (38 characters); a name this long is not one of them, and
// the walk stops there.
constexpr std::size_t kInterfaceNameLimit = 128;

// Characters that are plain text both to the command interpreter inside a quoted argument
// and to PowerShell inside a single-quoted string. '%' and '!' expand variables even inside
// quotes, '"' ends the quoted argument (and frees & | < > ^ after it), control characters end
// the command, and bytes above 0x7F may be typographic quotes that PowerShell also ends a
// string on. The apostrophe is replaced before this test.
bool plain_text_safe(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E) {
            return false;
        }
        switch (c) {
        case '"':
        case '%':
        case '!':
        case '^':
        case '&':
        case '|':
        case '<':
        case '>':
            return false;
        default:
            break;
        }
    }
    return true;
}

std::string base64(const std::string& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t chunk = (static_cast<unsigned char>(bytes[i]) << 16) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                                    static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(chunk >> 18) & 63];
        out += kAlphabet[(chunk >> 12) & 63];
        out += kAlphabet[(chunk >> 6) & 63];
        out += kAlphabet[chunk & 63];
    }
    if (const std::size_t rest = bytes.size() - i; rest != 0) {
        std::uint32_t chunk = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2) {
            chunk |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        out += kAlphabet[(chunk >> 18) & 63];
        out += kAlphabet[(chunk >> 12) & 63];
        out += rest == 2 ? kAlphabet[(chunk >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

// -EncodedCommand takes the script as base64 of UTF-16LE; the script here is pure ASCII.
std::string encoded_powershell(const std::string& ascii_script) {
    std::string utf16;
    utf16.reserve(ascii_script.size() * 2);
    for (const char c : ascii_script) {
        utf16 += c;
        utf16 += '\0';
    }
    return "powershell -NoProfile -EncodedCommand " + base64(utf16);
}

std::string qos_script_with_path_bytes(std::string_view path) {
    std::string script = kQosScriptPrefix;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i != 0) {
            script += ',';
        }
        script += std::to_string(static_cast<unsigned char>(path[i]));
    }
    script += kQosScriptSuffix;
    return script;
}

std::string without_apostrophes(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\'') {
            c = ' ';
        }
    }
    return out;
}

} // namespace

void apply_network_stack() {
    apply_changes(kNetworkStack);
}

void set_interface_tcp_values() {
    RegistryKeyPtr interfaces =
        current_machine().registry().open_key(Hive::LocalMachine, kInterfaces, KeyAccess::Read);
    if (!interfaces) {
        return;
    }
    for (std::uint32_t index = 0;; ++index) {
        const std::optional<std::string> name = interfaces->sub_key_name(index);
        if (!name || name->size() >= kInterfaceNameLimit) {
            break;
        }
        char sub_key[320];
        char path[340];
        const int sub_key_length =
            std::snprintf(sub_key, sizeof sub_key, "%s\\%s", kInterfaces, name->c_str());
        const int path_length = std::snprintf(path, sizeof path, "HKLM\\%s", sub_key);
        // A cut-off path would name some other key; such an interface is passed over.
        if (sub_key_length < 0 || static_cast<std::size_t>(sub_key_length) >= sizeof sub_key ||
            path_length < 0 || static_cast<std::size_t>(path_length) >= sizeof path) {
            continue;
        }
        write_dword(path, "TcpAckFrequency", 1);
        write_dword(path, "TCPNoDelay", 1);
        write_dword(path, "TcpDelAckTicks", 0);
    }
}

void apply_wifi_latency() {
    apply_changes(kWifiLatency);
}

void flush_dns() {
    run_hidden("ipconfig /flushdns");
}

void apply_nagle_off() {
    apply_changes(kNagleOff);
}

std::string qos_policy_command(std::string_view app_path) {
    const std::string path = without_apostrophes(app_path);
    if (plain_text_safe(path)) {
        char command[1400];
        std::snprintf(command, sizeof command, kQosCommandFormat, path.c_str());
        return command;
    }
    return encoded_powershell(qos_script_with_path_bytes(path));
}

void prioritize_exe(std::string_view name) {
    if (name.empty()) {
        return;
    }
    const std::string exe(name);
    clamp_game(exe.c_str());
    std::string path = find_process_image_path(exe);
    if (path.empty()) {
        path = exe;
    }
    const std::string command = qos_policy_command(path);
    if (command.find("-EncodedCommand") != std::string::npos) {
        const std::string note =
            "the application path holds characters the command interpreter would act on, "
            "so the next command carries this script encoded: " +
            qos_script_with_path_bytes(without_apostrophes(path));
        plan_note(note.c_str());
    }
    run_hidden(command.c_str());
}

void prioritize_target_exe() {
    prioritize_exe(target_exe().get());
}

} // namespace tavrine
