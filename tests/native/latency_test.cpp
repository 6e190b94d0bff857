#include "engine/primitives.h"
#include "platform/ascii.h"
#include "tests/native/test_support.h"
#include "tweaks/game_executables.h"
#include "tweaks/latency.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace tavrine {
namespace {

using LatencyRoutines = test::EngineTest;

constexpr const char* kSwitchToHighPerformance = "powercfg /s e9a42b02-d5df-448d-aa00-03f14749eb61";
constexpr const char* kSwitchToFallback = "powercfg /s 8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c";

int count_of(const std::vector<std::string>& commands, const std::string& text) {
    return static_cast<int>(std::count(commands.begin(), commands.end(), text));
}

// Every "setacvalueindex" (any case) is followed at once by the same command with "dc", and no
// DC command appears anywhere else.
void expect_ac_then_dc(const std::vector<std::string>& commands) {
    int pairs = 0;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const std::size_t dc = ascii_lowered(commands[i]).find("setdcvalueindex");
        if (dc != std::string::npos) {
            std::string twin = commands[i];
            twin[dc + 3] = twin[dc + 3] == 'D' ? 'A' : 'a';
            ASSERT_GT(i, 0u) << commands[i] << " runs first";
            EXPECT_EQ(commands[i - 1], twin) << commands[i] << " does not follow its AC twin";
            ++pairs;
        }
        if (ascii_lowered(commands[i]).find("setacvalueindex") != std::string::npos) {
            ASSERT_LT(i + 1, commands.size()) << commands[i] << " has no DC twin";
            EXPECT_NE(ascii_lowered(commands[i + 1]).find("setdcvalueindex"), std::string::npos)
                << commands[i];
        }
    }
    EXPECT_GT(pairs, 0);
}

std::string perf_options(const std::string& executable) {
    return "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\" +
           executable + "\\PerfOptions";
}

// [SECTION] Power plan

TEST_F(LatencyRoutines, power_plan_falls_back_when_the_first_switch_exits_non_zero) {
    fake.commands().script(kSwitchToHighPerformance, {.exit_code = 1});
    apply_power_plan();
    const auto commands = fake.commands().texts();
    const auto first = std::find(commands.begin(), commands.end(), kSwitchToHighPerformance);
    ASSERT_NE(first, commands.end());
    ASSERT_NE(first + 1, commands.end());
    EXPECT_EQ(*(first + 1), kSwitchToFallback);
}

TEST_F(LatencyRoutines, power_plan_falls_back_when_the_first_switch_times_out) {
    fake.commands().script(kSwitchToHighPerformance, {.exit_code = 0, .duration_ms = 20000});
    apply_power_plan();
    EXPECT_EQ(count_of(fake.commands().texts(), kSwitchToFallback), 1);
}

TEST_F(LatencyRoutines, power_plan_keeps_the_scheme_when_the_first_switch_exits_zero) {
    fake.commands().script("powercfg -duplicatescheme e9a42b02-d5df-448d-aa00-03f14749eb61",
                           {.exit_code = 1});
    apply_power_plan();
    const auto commands = fake.commands().texts();
    EXPECT_EQ(count_of(commands, kSwitchToHighPerformance), 1);
    EXPECT_EQ(count_of(commands, kSwitchToFallback), 0);
}

TEST_F(LatencyRoutines, only_the_scheme_commands_wait_the_short_limit) {
    apply_power_plan();
    for (const RecordedCommand& command : fake.commands().log()) {
        const bool scheme = command.command.starts_with("powercfg /s ") ||
                            command.command.starts_with("powercfg -duplicatescheme");
        EXPECT_EQ(command.wait_ms, scheme ? 15000u : 45000u) << command.command;
    }
}

TEST_F(LatencyRoutines, every_powercfg_ac_command_comes_right_before_its_dc_twin) {
    apply_power_plan();
    apply_input_delay();
    apply_usb_power();
    expect_ac_then_dc(fake.commands().texts());
}

TEST_F(LatencyRoutines, processor_settings_are_made_active_after_they_are_written) {
    apply_processor_power();
    const auto commands = fake.commands().texts();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), "powercfg /setactive SCHEME_CURRENT");
    EXPECT_EQ(count_of(commands, "powercfg /setactive SCHEME_CURRENT"), 1);
}

// [SECTION] Mouse and keyboard

TEST_F(LatencyRoutines, mouse_accel_off_writes_sensitivity_only_for_the_current_user) {
    apply_mouse_accel_off();
    for (const char* key : {"HKCU\\Control Panel\\Mouse", "HKU\\.DEFAULT\\Control Panel\\Mouse"}) {
        for (const char* name : {"MouseSpeed", "MouseThreshold1", "MouseThreshold2"}) {
            EXPECT_EQ(fake.registry().text(key, name), "0") << key << " " << name;
        }
    }
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSensitivity"), "10");
    EXPECT_FALSE(fake.registry().has_value("HKU\\.DEFAULT\\Control Panel\\Mouse", "MouseSensitivity"));
}

TEST_F(LatencyRoutines, mouse_accel_off_keeps_the_default_users_own_sensitivity) {
    fake.registry().put_string("HKU\\.DEFAULT\\Control Panel\\Mouse", "MouseSensitivity", "14");
    apply_mouse_accel_off();
    EXPECT_EQ(fake.registry().text("HKU\\.DEFAULT\\Control Panel\\Mouse", "MouseSensitivity"), "14");
}

void expect_mouse_spi_calls(const std::vector<SpiCall>& calls) {
    const auto set_mouse =
        std::find_if(calls.begin(), calls.end(), [](const SpiCall& c) { return c.action == 4; });
    ASSERT_NE(set_mouse, calls.end());
    EXPECT_EQ(set_mouse->argument.kind, SpiArgument::Kind::Words);
    EXPECT_EQ(set_mouse->argument.words, (std::vector<std::uint32_t>{0, 0, 0}));
    EXPECT_EQ(set_mouse->flags, 3u);
    ASSERT_NE(set_mouse + 1, calls.end());
    const SpiCall& speed = *(set_mouse + 1);
    EXPECT_EQ(speed.action, 0x71u);
    EXPECT_EQ(speed.argument.kind, SpiArgument::Kind::Value);
    EXPECT_EQ(speed.argument.value, 10u);
    EXPECT_EQ(speed.flags, 3u);
}

TEST_F(LatencyRoutines, mouse_accel_off_turns_acceleration_off_and_sets_speed_ten_live) {
    apply_mouse_accel_off();
    expect_mouse_spi_calls(fake.system_settings().log());
}

TEST_F(LatencyRoutines, input_delay_sets_fastest_keyboard_and_the_same_mouse_calls) {
    apply_input_delay();
    const auto calls = fake.system_settings().log();
    expect_mouse_spi_calls(calls);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].action, 0x17u); // keyboard delay 0
    EXPECT_EQ(calls[0].param, 0u);
    EXPECT_EQ(calls[1].action, 0x0Bu); // keyboard speed 31
    EXPECT_EQ(calls[1].param, 31u);
    for (const SpiCall& call : calls) {
        EXPECT_EQ(call.flags, 3u);
    }
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Keyboard", "KeyboardDelay"), "0");
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Keyboard", "KeyboardSpeed"), "31");
}

TEST_F(LatencyRoutines, input_delay_starts_mmcss_and_audio_even_when_stopped) {
    fake.services().add("MMCSS", {.start_type = 4, .running = false});
    fake.services().add("Audiosrv", {.start_type = 3, .running = false});
    apply_input_delay();
    EXPECT_EQ(fake.services().get("MMCSS")->start_type, 2u);
    EXPECT_TRUE(fake.services().get("MMCSS")->running);
    EXPECT_TRUE(fake.services().get("Audiosrv")->running);
}

// [SECTION] Audio stability

TEST_F(LatencyRoutines, audio_stability_leaves_no_lazy_mode_or_latency_sensitive_value_behind) {
    const std::string profile =
        "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile";
    const std::string games = profile + "\\Tasks\\Games";
    fake.registry().put_dword(profile, "NoLazyMode", 1);
    fake.registry().put_dword(profile, "LazyModeTimeout", 10000);
    fake.registry().put_dword(games, "NoLazyMode", 1);
    fake.registry().put_string(games, "Latency Sensitive", "True");
    restore_sane_defaults();
    EXPECT_FALSE(fake.registry().has_value(profile, "NoLazyMode"));
    EXPECT_FALSE(fake.registry().has_value(profile, "LazyModeTimeout"));
    EXPECT_FALSE(fake.registry().has_value(games, "NoLazyMode"));
    EXPECT_FALSE(fake.registry().has_value(games, "Latency Sensitive"));
    EXPECT_EQ(fake.registry().dword(profile, "SystemResponsiveness"), 20u);
    EXPECT_EQ(fake.registry().text(games, "Scheduling Category"), "Medium");
}

TEST_F(LatencyRoutines, audio_stability_clears_priority_overrides_of_csrss_and_every_game) {
    std::vector<std::string> executables = {"csrss.exe"};
    executables.insert(executables.end(), kGameExecutables.begin(), kGameExecutables.end());
    for (const std::string& executable : executables) {
        fake.registry().put_dword(perf_options(executable), "CpuPriorityClass", 3);
        fake.registry().put_dword(perf_options(executable), "IoPriority", 3);
        fake.registry().put_dword(perf_options(executable), "PagePriority", 5); // not ours to clear
    }
    // An executable that is not on the list keeps its override.
    fake.registry().put_dword(perf_options("notepad.exe"), "CpuPriorityClass", 3);
    restore_sane_defaults();
    for (const std::string& executable : executables) {
        EXPECT_FALSE(fake.registry().has_value(perf_options(executable), "CpuPriorityClass")) << executable;
        EXPECT_FALSE(fake.registry().has_value(perf_options(executable), "IoPriority")) << executable;
        EXPECT_EQ(fake.registry().dword(perf_options(executable), "PagePriority"), 5u) << executable;
    }
    EXPECT_EQ(fake.registry().dword(perf_options("notepad.exe"), "CpuPriorityClass"), 3u);
}

TEST(GameExecutables, holds_22_distinct_names_including_ones_with_spaces) {
    std::set<std::string> names;
    for (const char* name : kGameExecutables) {
        names.insert(ascii_lowered(name));
    }
    EXPECT_EQ(names.size(), 22u);
    EXPECT_EQ(names.count("league of legends.exe"), 1u);
    EXPECT_EQ(names.count("fortniteclient-win64-shipping.exe"), 1u);
    EXPECT_EQ(names.count("robloxplayerbeta.exe"), 1u);
}

TEST_F(LatencyRoutines, audio_stability_never_creates_a_key_just_to_delete_from_it) {
    restore_sane_defaults();
    EXPECT_FALSE(fake.registry().has_key("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File "
                                         "Execution Options"));
    EXPECT_FALSE(fake.registry().has_key("HKLM\\SOFTWARE\\Microsoft\\WindowsUpdate"));
    EXPECT_FALSE(fake.registry().has_key("HKLM\\SOFTWARE\\Policies"));
    for (const std::string& line : fake.journal()) {
        EXPECT_FALSE(line.starts_with("DELETE")) << line;
    }
}

TEST_F(LatencyRoutines, audio_stability_restarts_audio_after_setting_it_automatic) {
    fake.services().add("Audiosrv", {.start_type = 4, .running = false});
    fake.services().add("AudioEndpointBuilder", {.start_type = 4, .running = false});
    restore_sane_defaults();
    EXPECT_EQ(fake.services().get("Audiosrv")->start_type, 2u);
    EXPECT_EQ(fake.services().get("AudioEndpointBuilder")->start_type, 2u);
    const auto journal = fake.journal();
    const auto automatic = std::find(journal.begin(), journal.end(), "SERVICE Audiosrv auto+start");
    const auto restart = std::find(journal.begin(), journal.end(), "RUN net stop Audiosrv /y >nul 2>&1");
    ASSERT_NE(automatic, journal.end());
    ASSERT_NE(restart, journal.end());
    EXPECT_LT(automatic, restart);
}

TEST_F(LatencyRoutines, audio_stability_goes_on_past_a_locked_key) {
    fake.registry().deny("HKLM\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl");
    restore_sane_defaults();
    EXPECT_FALSE(fake.registry().has_value("HKLM\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl",
                                           "Win32PrioritySeparation"));
    EXPECT_EQ(fake.registry().dword("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\DriverSearching",
                                    "SearchOrderConfig"),
              1u);
    EXPECT_EQ(count_of(fake.commands().texts(), "net start Audiosrv >nul 2>&1"), 1);
}

// [SECTION] USB

class UsbWalk : public test::EngineTest {
protected:
    std::string device(const std::string& tree_and_instance) {
        const std::string path =
            "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\" + tree_and_instance + "\\Device Parameters";
        fake.registry().add_key(path);
        return path;
    }
    bool zeroed(const std::string& path) {
        for (const char* name :
             {"SelectiveSuspendOn", "SelectiveSuspendEnabled", "EnhancedPowerManagementEnabled",
              "AllowIdleIrpInD3", "DeviceSelectiveSuspended"}) {
            if (fake.registry().dword(path, name) != 0u) {
                return false;
            }
        }
        return true;
    }
    bool untouched(const std::string& path) { return !fake.registry().has_value(path, "SelectiveSuspendOn"); }
};

TEST_F(UsbWalk, pci_devices_are_touched_only_when_their_path_mentions_usb_in_any_case) {
    const std::string upper = device("PCI\\VEN_8086&DEV_A36D&USB\\3&11583659&0&A0");
    const std::string lower = device("PCI\\VEN_1022&DEV_149C\\usbcontroller");
    const std::string mixed = device("PCI\\VEN_10DE\\UsB_Host");
    const std::string graphics = device("PCI\\VEN_10DE&DEV_2684\\4&2A9F&0&0008");
    apply_usb_power();
    EXPECT_TRUE(zeroed(upper));
    EXPECT_TRUE(zeroed(lower));
    EXPECT_TRUE(zeroed(mixed));
    EXPECT_TRUE(untouched(graphics));
}

TEST_F(UsbWalk, usb_and_usbstor_devices_are_all_touched) {
    const std::string hid = device("USB\\VID_046D&PID_C08B\\5&1234");
    const std::string hub = device("USB\\ROOT_HUB30\\4&abc&0&0");
    const std::string disk = device("USBSTOR\\Disk&Ven_SanDisk\\0401");
    apply_usb_power();
    EXPECT_TRUE(zeroed(hid));
    EXPECT_TRUE(zeroed(hub));
    EXPECT_TRUE(zeroed(disk));
}

TEST_F(UsbWalk, input_delay_walks_only_the_usb_tree) {
    const std::string hid = device("USB\\VID_046D&PID_C08B\\5&1234");
    const std::string disk = device("USBSTOR\\Disk&Ven_SanDisk\\0401");
    const std::string pci = device("PCI\\VEN_8086&DEV_A36D&USB\\3&1");
    apply_input_delay();
    EXPECT_TRUE(zeroed(hid));
    EXPECT_TRUE(untouched(disk));
    EXPECT_TRUE(untouched(pci));
}

TEST_F(UsbWalk, usb_power_deletes_thread_priority_only_where_the_key_exists) {
    fake.registry().put_dword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\usbxhci\\Parameters",
                              "ThreadPriority", 31);
    apply_usb_power();
    EXPECT_FALSE(fake.registry().has_value("HKLM\\SYSTEM\\CurrentControlSet\\Services\\USBXHCI\\Parameters",
                                           "ThreadPriority"));
    EXPECT_FALSE(fake.registry().has_key("HKLM\\SYSTEM\\CurrentControlSet\\Services\\usbhub3\\Parameters"));
    EXPECT_EQ(fake.registry().dword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\usbhub3",
                                    "DisableSelectiveSuspend"),
              1u);
}

TEST_F(UsbWalk, the_pci_visitor_ignores_a_null_path) {
    const std::string path = device("PCI\\USB\\x");
    RegistryKeyPtr key = fake.registry().open_key(
        Hive::LocalMachine, "SYSTEM\\CurrentControlSet\\Enum\\PCI\\USB\\x\\Device Parameters",
        KeyAccess::ReadWrite);
    ASSERT_TRUE(key);
    write_usb_suspend_values_if_usb(*key, nullptr);
    EXPECT_TRUE(untouched(path));
}

// [SECTION] Accessibility, Game Mode, notifications

TEST_F(LatencyRoutines, accessibility_flags_are_written_as_texts) {
    apply_sticky_keys_off();
    const std::pair<const char*, const char*> expected[] = {
        {"StickyKeys", "506"}, {"ToggleKeys", "58"}, {"Keyboard Response", "122"}, {"SoundSentry", "0"}};
    for (const auto& [key, text] : expected) {
        const std::string path = std::string("HKCU\\Control Panel\\Accessibility\\") + key;
        const auto value = fake.registry().value(path, "Flags");
        ASSERT_TRUE(value) << path;
        EXPECT_EQ(value->type, kRegSz) << path;
        EXPECT_EQ(fake.registry().text(path, "Flags"), text) << path;
    }
}

TEST_F(LatencyRoutines, sticky_toggle_and_filter_keys_are_switched_off_live_with_their_records) {
    apply_sticky_keys_off();
    const auto calls = fake.system_settings().log();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].action, 59u);
    EXPECT_EQ(calls[0].argument.words, (std::vector<std::uint32_t>{8, 0}));
    EXPECT_EQ(calls[1].action, 53u);
    EXPECT_EQ(calls[2].action, 51u);
    EXPECT_EQ(calls[2].param, 24u);
    EXPECT_EQ(calls[2].argument.words.size() * 4, 24u); // the record's size matches its own size field
    EXPECT_EQ(calls[2].argument.words[0], 24u);
}

TEST_F(LatencyRoutines, game_mode_turns_off_network_throttling_entirely) {
    apply_game_mode();
    EXPECT_EQ(fake.registry().dword(
                  "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile",
                  "NetworkThrottlingIndex"),
              0xFFFFFFFFu);
    EXPECT_EQ(fake.registry().dword("HKCU\\SOFTWARE\\Microsoft\\GameBar", "AutoGameModeEnabled"), 1u);
}

TEST_F(LatencyRoutines, notifications_off_silences_toasts_for_the_user_and_the_machine) {
    apply_notifications_off();
    EXPECT_EQ(fake.registry().dword("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\PushNotifications",
                                    "ToastEnabled"),
              0u);
    EXPECT_EQ(fake.registry().dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Explorer",
                                    "DisableNotificationCenter"),
              1u);
}

} // namespace
} // namespace tavrine
