#include "engine/primitives.h"
#include "platform/files.h"
#include "platform/recording/recording_machine.h"
#include "tests/native/test_support.h"
#include "tweaks/latency.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

namespace tavrine {
namespace {

class Recording : public test::EngineTest {
protected:
    // Runs `routine` under a recorder that reads from the fake.
    std::vector<std::string> plan_of(void (*routine)()) {
        RecordingMachine recorder(fake);
        ScopedMachine scope(recorder);
        routine();
        return recorder.lines();
    }
    static bool contains(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

TEST_F(Recording, a_walk_finds_the_real_device_keys_and_records_their_writes) {
    const std::string device = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1\\inst\\Device Parameters";
    fake.registry().add_key(device);
    fake.registry().add_key("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_2\\inst\\Device Parameters");
    const std::size_t keys = fake.registry().key_count();

    const auto lines = plan_of(apply_usb_power);
    EXPECT_TRUE(contains(lines, "SET DWORD " + device + " SelectiveSuspendOn = 0"));
    EXPECT_TRUE(contains(lines, "SET DWORD " + device + " DeviceSelectiveSuspended = 0"));
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("VEN_2"), std::string::npos) << "the PCI key has no usb in its path: " << line;
    }
    // Nothing reached the fake underneath.
    EXPECT_TRUE(fake.journal().empty());
    EXPECT_EQ(fake.registry().key_count(), keys);
    EXPECT_FALSE(fake.registry().has_value(device, "SelectiveSuspendOn"));
}

TEST_F(Recording, no_write_command_service_or_setting_reaches_the_inner_machine) {
    fake.services().add("Audiosrv", {.start_type = 4});
    fake.registry().put_dword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\usbxhci\\Parameters",
                              "ThreadPriority", 31);
    const std::size_t keys = fake.registry().key_count();
    for (auto routine : {restore_sane_defaults, apply_power_plan, apply_input_delay, apply_mouse_accel_off,
                         apply_usb_power, apply_game_mode, apply_notifications_off, apply_sticky_keys_off}) {
        EXPECT_FALSE(plan_of(routine).empty());
    }
    EXPECT_TRUE(fake.journal().empty());
    EXPECT_TRUE(fake.commands().log().empty());
    EXPECT_TRUE(fake.system_settings().log().empty());
    EXPECT_EQ(fake.services().get("Audiosrv")->start_type, 4u);
    EXPECT_EQ(fake.registry().dword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\usbxhci\\Parameters",
                                    "ThreadPriority"),
              31u);
    EXPECT_EQ(fake.registry().key_count(), keys);
}

TEST_F(Recording, file_writes_and_copies_are_recorded_and_seen_by_later_reads_of_the_plan_only) {
    fake.files().add_text_file("C:\\Game\\a.ini", "old");
    RecordingMachine recorder(fake);
    Files& files = recorder.files();
    EXPECT_TRUE(files.copy_file("C:\\Game\\a.ini", "C:\\Game\\a.ini.bak", true));
    EXPECT_TRUE(files.write_file_whole("C:\\Game\\a.ini", "new"));
    EXPECT_TRUE(files.create_folders("C:\\Game\\Sub"));
    EXPECT_EQ(files.read_file("C:\\Game\\a.ini"), "new");
    EXPECT_FALSE(files.copy_file("C:\\Game\\a.ini", "C:\\Game\\a.ini.bak", true)); // the backup is there now
    EXPECT_EQ(recorder.lines(), (std::vector<std::string>{"COPY FILE C:\\Game\\a.ini -> C:\\Game\\a.ini.bak",
                                                          "WRITE FILE C:\\Game\\a.ini (3 bytes)",
                                                          "CREATE FOLDER C:\\Game\\Sub"}));
    EXPECT_TRUE(fake.journal().empty());
    EXPECT_EQ(fake.files().read_file("C:\\Game\\a.ini"), "old");
    EXPECT_FALSE(fake.files().exists("C:\\Game\\a.ini.bak"));
}

TEST_F(Recording, a_delete_is_recorded_only_when_the_value_is_there) {
    fake.registry().put_dword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\usbxhci\\Parameters",
                              "ThreadPriority", 31);
    const auto lines = plan_of(apply_usb_power);
    EXPECT_TRUE(contains(
        lines, "DELETE HKLM\\SYSTEM\\CurrentControlSet\\Services\\usbxhci\\Parameters ThreadPriority"));
    EXPECT_FALSE(contains(
        lines, "DELETE HKLM\\SYSTEM\\CurrentControlSet\\Services\\usbhub3\\Parameters ThreadPriority"));
}

TEST_F(Recording, commands_report_failure_so_the_fall_back_shows_with_its_note) {
    const auto lines = plan_of(apply_power_plan);
    const auto first = std::find(lines.begin(), lines.end(),
                                 "RUN powercfg /s e9a42b02-d5df-448d-aa00-03f14749eb61  [waits up to 15 s]");
    ASSERT_NE(first, lines.end());
    ASSERT_GE(lines.end() - first, 3);
    EXPECT_TRUE((first + 1)->starts_with("NOTE ")) << *(first + 1);
    EXPECT_EQ(*(first + 2), "RUN powercfg /s 8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c  [waits up to 15 s]");
}

// [SECTION] Changes already in place

TEST_F(Recording, a_write_of_the_value_already_there_is_marked_already) {
    fake.registry().put_string("HKCU\\Control Panel\\Mouse", "MouseSpeed", "0");
    fake.registry().put_dword("HKCU\\Control Panel\\Mouse", "MouseThreshold1", 0); // a number, not the text
    const auto lines = plan_of(apply_mouse_accel_off);
    EXPECT_TRUE(contains(lines, "SET SZ HKCU\\Control Panel\\Mouse MouseSpeed = \"0\" (already)"));
    EXPECT_TRUE(contains(lines, "SET SZ HKCU\\Control Panel\\Mouse MouseThreshold1 = \"0\""));
}

TEST_F(Recording, services_settings_and_the_power_scheme_are_read_back) {
    fake.services().add("Audiosrv", {.start_type = 2, .running = true});
    fake.services().add("MMCSS", {.start_type = 2, .running = false});
    apply_mouse_accel_off(); // for real: the fake now reads the mouse settings back
    fake.system_settings().set_active_power_scheme("E9A42B02-D5DF-448D-AA00-03F14749EB61");

    const auto input = plan_of(apply_input_delay);
    EXPECT_TRUE(contains(input, "SERVICE Audiosrv auto+start (already)"));
    EXPECT_TRUE(contains(input, "SERVICE MMCSS auto+start")) << "automatic but stopped";
    const auto mouse = plan_of(apply_mouse_accel_off);
    EXPECT_EQ(std::count_if(mouse.begin(), mouse.end(),
                            [](const std::string& line) {
                                return line.starts_with("SPI ") && line.ends_with(" (already)");
                            }),
              2);
    const auto power = plan_of(apply_power_plan);
    EXPECT_TRUE(contains(
        power, "RUN powercfg /s e9a42b02-d5df-448d-aa00-03f14749eb61  [waits up to 15 s] (already)"));
    EXPECT_FALSE(contains(power, "RUN powercfg /s 8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c  [waits up to 15 s]"))
        << "the switch would succeed, so its fall-back does not run";
}

TEST_F(Recording, a_file_write_of_the_content_already_there_is_marked_already) {
    fake.files().add_text_file("C:\\Game\\a.ini", "same");
    RecordingMachine recorder(fake);
    recorder.files().write_file_whole("C:\\Game\\a.ini", "same");
    recorder.files().write_file_whole("C:\\Game\\b.ini", "new");
    EXPECT_EQ(recorder.lines(), (std::vector<std::string>{"WRITE FILE C:\\Game\\a.ini (4 bytes) (already)",
                                                          "WRITE FILE C:\\Game\\b.ini (3 bytes)"}));
}

TEST_F(Recording, a_recorder_installed_for_one_thread_is_not_seen_by_another) {
    RecordingMachine recorder(fake);
    ScopedThreadMachine scope(recorder);
    std::thread([] { write_dword("HKCU\\Software\\Tavrine", "Other", 1); }).join();
    write_dword("HKCU\\Software\\Tavrine", "Mine", 1);
    EXPECT_EQ(fake.registry().dword("HKCU\\Software\\Tavrine", "Other"), 1u);
    EXPECT_FALSE(fake.registry().has_value("HKCU\\Software\\Tavrine", "Mine"));
    EXPECT_EQ(recorder.lines().size(), 1u);
}

TEST_F(Recording, notes_never_reach_a_real_run) {
    plan_note("only in a preview");
    EXPECT_TRUE(fake.journal().empty());
}

TEST_F(Recording, privilege_and_elevation_are_read_from_the_machine_underneath) {
    fake.security().set_elevated(false);
    RecordingMachine recorder(fake);
    EXPECT_FALSE(recorder.is_elevated());
    EXPECT_FALSE(recorder.enable_debug_privilege());
    EXPECT_FALSE(fake.security().debug_privilege_enabled());
}

} // namespace
} // namespace tavrine
