// The Netcode path on the fake machine: per-interface values, the QoS policy command and the
// process path it names.

#include "engine/target_exe.h"
#include "platform/fake/fake_machine.h"
#include "process/process_image_path.h"
#include "tweaks/netcode.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavrine {
namespace {

constexpr const char* kInterfaces =
    "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";

class Netcode : public ::testing::Test {
protected:
    Netcode() : scope_(fake) {}
    std::vector<std::string> commands() { return fake.commands().texts(); }
    std::string only_qos_command() {
        std::vector<std::string> found;
        for (const std::string& command : commands()) {
            if (command.find("Qos") != std::string::npos ||
                command.find("-EncodedCommand") != std::string::npos) {
                found.push_back(command);
            }
        }
        EXPECT_EQ(found.size(), 1u);
        return found.empty() ? std::string() : found.front();
    }

    FakeMachine fake;

private:
    ScopedMachine scope_;
};

// Reverses -EncodedCommand: base64 of UTF-16LE, here always ASCII.
std::string decoded_script(const std::string& command) {
    const std::string marker = "-EncodedCommand ";
    const std::size_t at = command.find(marker);
    if (at == std::string::npos) {
        return {};
    }
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    std::uint32_t buffer = 0;
    int bits = 0;
    for (const char c : command.substr(at + marker.size())) {
        if (c == '=') {
            break;
        }
        buffer = (buffer << 6) | static_cast<std::uint32_t>(alphabet.find(c));
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    std::string script;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        EXPECT_EQ(bytes[i + 1], '\0') << "the script is plain ASCII";
        script += bytes[i];
    }
    return script;
}

// The bytes listed in "[byte[]](67,58,...)", turned back into text.
std::string path_in_script(const std::string& script) {
    const std::string open = "[byte[]](";
    const std::size_t from = script.find(open);
    const std::size_t to = script.find(')', from);
    if (from == std::string::npos || to == std::string::npos) {
        return {};
    }
    std::string path;
    std::string list = script.substr(from + open.size(), to - from - open.size()) + ",";
    for (std::size_t start = 0, comma; (comma = list.find(',', start)) != std::string::npos;
         start = comma + 1) {
        path += static_cast<char>(std::stoi(list.substr(start, comma - start)));
    }
    return path;
}

TEST_F(Netcode, interface_sub_keys_get_exactly_one_one_zero_in_enumeration_order) {
    fake.registry().add_key(std::string(kInterfaces) + "\\{B2}");
    fake.registry().add_key(std::string(kInterfaces) + "\\{a1}");

    set_interface_tcp_values();

    const std::vector<std::string> expected = {
        "SET DWORD " + std::string(kInterfaces) + "\\{a1} TcpAckFrequency = 1",
        "SET DWORD " + std::string(kInterfaces) + "\\{a1} TCPNoDelay = 1",
        "SET DWORD " + std::string(kInterfaces) + "\\{a1} TcpDelAckTicks = 0",
        "SET DWORD " + std::string(kInterfaces) + "\\{B2} TcpAckFrequency = 1",
        "SET DWORD " + std::string(kInterfaces) + "\\{B2} TCPNoDelay = 1",
        "SET DWORD " + std::string(kInterfaces) + "\\{B2} TcpDelAckTicks = 0",
    };
    EXPECT_EQ(fake.journal(), expected);
}

TEST_F(Netcode, global_values_are_written_when_the_interfaces_key_cannot_be_opened) {
    fake.registry().add_key(std::string(kInterfaces) + "\\{A}");
    fake.registry().deny(kInterfaces);

    apply_nagle_off();

    const char* tcpip = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
    EXPECT_EQ(fake.registry().dword(tcpip, "TCPNoDelay"), 1u);
    EXPECT_EQ(fake.registry().dword(tcpip, "TcpAckFrequency"), 1u);
    EXPECT_EQ(fake.registry().dword(tcpip, "TcpDelAckTicks"), 0u);
    EXPECT_EQ(fake.registry().dword("HKLM\\SOFTWARE\\Microsoft\\MSMQ\\Parameters", "TCPNoDelay"), 1u);
    EXPECT_EQ(
        fake.registry().dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Psched", "NonBestEffortLimit"),
        0u);
    EXPECT_FALSE(fake.registry().has_value(std::string(kInterfaces) + "\\{A}", "TCPNoDelay"));
}

TEST_F(Netcode, network_stack_writes_the_globals_with_or_without_interfaces) {
    apply_network_stack();
    const char* tcpip = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
    EXPECT_EQ(fake.registry().dword(tcpip, "DefaultTTL"), 64u);
    EXPECT_EQ(fake.registry().dword(tcpip, "TcpMaxDupAcks"), 2u);
    EXPECT_EQ(fake.registry().dword(
                  "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile",
                  "NetworkThrottlingIndex"),
              0xFFFFFFFFu);
    const auto texts = commands();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "netsh int tcp set global rss=enabled"), 2);
}

TEST_F(Netcode, an_empty_target_does_nothing_at_all) {
    fake.processes().add({.pid = 40, .exe_name = "cs2.exe", .image_path = "D:\\Games\\cs2.exe"});
    target_exe().set("");
    const std::size_t before = fake.journal().size();

    prioritize_target_exe();
    prioritize_exe("");

    EXPECT_EQ(fake.journal().size(), before);
    EXPECT_TRUE(commands().empty());
}

TEST_F(Netcode, a_running_target_gives_its_full_path_and_the_first_listed_process_wins) {
    fake.processes().add({.pid = 70, .exe_name = "svchost.exe", .image_path = "C:\\Windows\\svchost.exe"});
    // Listed first but refuses to be read: passed over, not taken as the answer.
    fake.processes().add({.pid = 80,
                          .exe_name = "cs2.exe",
                          .image_path = "C:\\Protected\\cs2.exe",
                          .denied_access = kProcessQueryAndRead});
    fake.processes().add({.pid = 90, .exe_name = "CS2.EXE", .image_path = "D:\\Steam\\cs2\\bin\\CS2.EXE"});
    fake.processes().add({.pid = 12, .exe_name = "cs2.exe", .image_path = "E:\\Other\\cs2.exe"});

    EXPECT_EQ(find_process_image_path("cs2.exe"), "D:\\Steam\\cs2\\bin\\CS2.EXE");
    EXPECT_EQ(find_process_image_path("missing.exe"), "");

    prioritize_exe("cs2.exe");
    EXPECT_NE(only_qos_command().find("-AppPathNameMatchCondition 'D:\\Steam\\cs2\\bin\\CS2.EXE'"),
              std::string::npos);
    // The game is clamped first: every process of that name, whatever its case.
    EXPECT_EQ(fake.processes().get(90)->priority_class, kAboveNormalPriorityClass);
    EXPECT_EQ(fake.processes().get(12)->priority_class, kAboveNormalPriorityClass);
    EXPECT_EQ(fake.processes().get(70)->priority_class, kNormalPriorityClass);
}

TEST_F(Netcode, a_target_that_is_not_running_is_matched_by_its_bare_name) {
    prioritize_exe("VALORANT-Win64-Shipping.exe");
    EXPECT_NE(only_qos_command().find("-AppPathNameMatchCondition 'VALORANT-Win64-Shipping.exe'"),
              std::string::npos);
}

TEST_F(Netcode, an_apostrophe_in_the_path_becomes_a_space) {
    fake.processes().add({.pid = 5, .exe_name = "game.exe", .image_path = "C:\\Games\\Tom's\\game.exe"});
    prioritize_exe("game.exe");
    EXPECT_NE(only_qos_command().find("'C:\\Games\\Tom s\\game.exe'"), std::string::npos);
}

TEST_F(Netcode, prioritize_twice_leaves_one_policy_named_tavrine_and_removes_the_legacy_name) {
    prioritize_exe("game.exe");
    prioritize_exe("game.exe");
    const auto texts = commands();
    ASSERT_EQ(texts.size(), 2u);
    for (const std::string& command : texts) {
        const std::size_t create = command.find("New-NetQosPolicy");
        ASSERT_NE(create, std::string::npos);
        EXPECT_EQ(command.find("New-NetQosPolicy", create + 1), std::string::npos) << "one policy is created";
        EXPECT_EQ(command.compare(create, 35, "New-NetQosPolicy -Name 'TavrineQoS'"), 0);
        const std::size_t removal = command.find("foreach ($n in 'TavrineQoS','DunmarrowQoS')");
        ASSERT_NE(removal, std::string::npos);
        EXPECT_LT(removal, create) << "old policies go before the new one is made";
        EXPECT_EQ(command.find("Remove-NetQosPolicy"), command.rfind("Remove-NetQosPolicy"));
    }
}

TEST_F(Netcode, hostile_paths_reach_powershell_encoded_and_exactly) {
    const std::string hostile[] = {
        "C:\\Games\\100%PATH%\\game.exe",       // cmd expands %NAME% even inside quotes
        "C:\\Games\\a\" & calc & \"\\game.exe", // a quote would free the & that follows
        "C:\\Games\\bang!USERNAME!\\game.exe",  // delayed expansion, when switched on
        "C:\\Games\\x^y|z<w>v\\game.exe",       // the other interpreter characters
        "C:\\Games\\line\r\ncalc\\game.exe",    // a new line ends the command
        "C:\\Games\\\x91quoted\x92\\game.exe",  // typographic quotes end a PowerShell string
        "C:\\Games\\Tom's %TEMP%\\game.exe",    // an apostrophe with the rest
    };
    for (const std::string& path : hostile) {
        const std::string command = qos_policy_command(path);
        SCOPED_TRACE(command);
        const std::string prefix = "powershell -NoProfile -EncodedCommand ";
        ASSERT_EQ(command.rfind(prefix, 0), 0u);
        const std::string payload = command.substr(prefix.size());
        EXPECT_TRUE(std::all_of(payload.begin(), payload.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                   c == '/' || c == '=';
        }));
        const std::string script = decoded_script(command);
        std::string expected = path;
        std::replace(expected.begin(), expected.end(), '\'', ' ');
        EXPECT_EQ(path_in_script(script), expected);
        EXPECT_NE(script.find("New-NetQosPolicy -Name 'TavrineQoS' -AppPathNameMatchCondition $p"),
                  std::string::npos);
        EXPECT_NE(script.find("foreach ($n in 'TavrineQoS','DunmarrowQoS')"), std::string::npos);
    }
}

TEST_F(Netcode, ordinary_paths_use_the_plain_command_text) {
    const std::string command = qos_policy_command("C:\\Program Files (x86)\\Steam\\game-1_2.exe");
    EXPECT_EQ(
        command,
        "powershell -NoProfile -Command \"foreach ($n in 'TavrineQoS','DunmarrowQoS') { Get-NetQosPolicy "
        "-Name "
        "$n -EA SilentlyContinue | Remove-NetQosPolicy -Confirm:$false -EA SilentlyContinue }; "
        "New-NetQosPolicy -Name 'TavrineQoS' -AppPathNameMatchCondition 'C:\\Program Files "
        "(x86)\\Steam\\game-1_2.exe' -IPProtocolMatchCondition Both -DSCPAction 46 -EA SilentlyContinue\"");
}

TEST_F(Netcode, wifi_without_wireless_adapters_still_sets_power_and_flushes_dns) {
    apply_wifi_latency();
    const auto texts = commands();
    const auto powercfg = std::count_if(texts.begin(), texts.end(), [](const std::string& command) {
        return command.rfind("powercfg /set", 0) == 0 && command.find("valueindex") != std::string::npos;
    });
    EXPECT_EQ(powercfg, 4);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "ipconfig /flushdns");
}

} // namespace
} // namespace tavrine
