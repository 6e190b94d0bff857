#include "engine/primitives.h"
#include "platform/command_line.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavrine {
namespace {

using Primitives = test::EngineTest;

// [SECTION] Registry values

TEST_F(Primitives, write_dword_creates_the_key_with_all_missing_parents) {
    write_dword("HKLM\\SOFTWARE\\A\\B\\C", "Value", 0xFFFFFFFF);
    EXPECT_TRUE(fake.registry().has_key("HKLM\\SOFTWARE"));
    EXPECT_TRUE(fake.registry().has_key("HKLM\\SOFTWARE\\A\\B"));
    const auto value = fake.registry().value("HKLM\\SOFTWARE\\A\\B\\C", "Value");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, kRegDword);
    EXPECT_EQ(value->data, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(Primitives, write_dword_is_little_endian_and_overwrites) {
    write_dword("HKCU\\K", "V", 1);
    write_dword("HKCU\\K", "v", 0x01020304); // value names ignore case, as Windows' do
    const auto value = fake.registry().value("HKCU\\K", "V");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->data, (std::vector<std::uint8_t>{4, 3, 2, 1}));
}

TEST_F(Primitives, write_string_stores_the_text_and_its_terminator) {
    write_string("HKCU\\Control Panel\\Keyboard", "KeyboardDelay", "0");
    write_string("HKCU\\Control Panel\\Keyboard", "KeyboardSpeed", "31");
    const auto zero = fake.registry().value("HKCU\\Control Panel\\Keyboard", "KeyboardDelay");
    const auto speed = fake.registry().value("HKCU\\Control Panel\\Keyboard", "KeyboardSpeed");
    ASSERT_TRUE(zero && speed);
    EXPECT_EQ(zero->type, kRegSz);
    EXPECT_EQ(zero->data, (std::vector<std::uint8_t>{'0', 0}));
    EXPECT_EQ(speed->data.size(), 3u);
    EXPECT_EQ(speed->data.back(), 0);
}

TEST_F(Primitives, hive_form_of_write_string_reports_success_and_refusal) {
    EXPECT_TRUE(write_string(Hive::CurrentUser, "Software\\Run", "Entry", "c:\\x.exe"));
    EXPECT_EQ(fake.registry().text("HKCU\\Software\\Run", "Entry"), "c:\\x.exe");
    fake.registry().deny("HKCU\\Locked");
    EXPECT_FALSE(write_string(Hive::CurrentUser, "Locked\\Inner", "Entry", "x"));
    EXPECT_FALSE(write_string(Hive::CurrentUser, nullptr, "Entry", "x"));
}

TEST_F(Primitives, delete_value_on_a_missing_key_creates_nothing) {
    fake.registry().add_key("HKLM\\SOFTWARE");
    const std::size_t before = fake.registry().key_count();
    delete_value("HKLM\\SOFTWARE\\Missing\\PerfOptions", "IoPriority");
    EXPECT_EQ(fake.registry().key_count(), before);
    EXPECT_FALSE(fake.registry().has_key("HKLM\\SOFTWARE\\Missing"));
    EXPECT_TRUE(fake.journal().empty());
}

TEST_F(Primitives, delete_value_removes_only_the_named_value) {
    fake.registry().put_dword("HKLM\\K", "Gone", 1);
    fake.registry().put_dword("HKLM\\K", "Kept", 2);
    delete_value("HKLM\\K", "gone");
    delete_value("HKLM\\K", "NeverThere");
    EXPECT_FALSE(fake.registry().has_value("HKLM\\K", "Gone"));
    EXPECT_EQ(fake.registry().dword("HKLM\\K", "Kept"), 2u);
}

TEST_F(Primitives, a_key_that_refuses_access_skips_the_write_and_the_caller_goes_on) {
    fake.registry().deny("HKLM\\Locked");
    write_dword("HKLM\\Locked", "V", 1);
    write_dword("HKLM\\Open", "V", 1);
    EXPECT_FALSE(fake.registry().has_value("HKLM\\Locked", "V"));
    EXPECT_EQ(fake.registry().dword("HKLM\\Open", "V"), 1u);
}

// [SECTION] Commands

constexpr const char* kSystem = "C:\\Windows\\System32";

TEST(CommandLine, plain_commands_go_through_the_interpreter_by_its_full_path_with_slash_c) {
    EXPECT_EQ(build_command_line(kSystem, "ipconfig /flushdns"),
              "\"C:\\Windows\\System32\\cmd.exe\" /c ipconfig /flushdns");
}

TEST(CommandLine, a_command_already_starting_with_slash_c_is_appended_unchanged) {
    EXPECT_EQ(build_command_line(kSystem, "/C echo x"), "\"C:\\Windows\\System32\\cmd.exe\" /C echo x");
    EXPECT_EQ(build_command_line(kSystem, "/c echo x"), "\"C:\\Windows\\System32\\cmd.exe\" /c echo x");
}

TEST(CommandLine, any_other_slash_option_gets_slash_c_in_front) {
    EXPECT_EQ(build_command_line(kSystem, "/k echo x"), "\"C:\\Windows\\System32\\cmd.exe\" /c /k echo x");
    EXPECT_EQ(build_command_line(kSystem, "/"), "\"C:\\Windows\\System32\\cmd.exe\" /c /");
}

TEST(CommandLine, an_empty_command_or_an_unknown_system_folder_has_no_command_line) {
    EXPECT_FALSE(build_command_line(kSystem, ""));
    EXPECT_FALSE(build_command_line("", "ipconfig /flushdns"));
}

TEST(CommandLine, the_environment_names_only_system_folders_and_never_searches_the_current_one) {
    const auto environment = command_environment("C:\\Windows", kSystem);
    const auto has = [&](const char* variable) {
        return std::find(environment.begin(), environment.end(), variable) != environment.end();
    };
    EXPECT_TRUE(has("PATH=C:\\Windows\\System32;C:\\Windows\\System32\\Wbem;"
                    "C:\\Windows\\System32\\WindowsPowerShell\\v1.0"));
    EXPECT_TRUE(has("ComSpec=C:\\Windows\\System32\\cmd.exe"));
    EXPECT_TRUE(has("TEMP=C:\\Windows\\Temp"));
    EXPECT_TRUE(has("NoDefaultCurrentDirectoryInExePath=1"));
    for (const std::string& variable : environment) {
        EXPECT_EQ(variable.find("Users"), std::string::npos) << variable;
    }
}

TEST_F(Primitives, run_hidden_fails_on_exit_one_while_the_exit_code_form_reports_one) {
    fake.commands().script("cmd /c exit 1", {.exit_code = 1});
    EXPECT_FALSE(run_hidden("cmd /c exit 1"));
    EXPECT_EQ(run_hidden_exit_code("cmd /c exit 1"), 1u);
    EXPECT_TRUE(run_hidden("echo ok"));
    EXPECT_EQ(run_hidden_exit_code("echo ok"), 0u);
}

TEST_F(Primitives, the_interpreter_line_and_wait_limits_are_the_ones_each_form_uses) {
    run_hidden("ipconfig /flushdns");
    run_hidden_exit_code("powercfg /s x");
    const auto log = fake.commands().log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].command_line, "\"C:\\Windows\\System32\\cmd.exe\" /c ipconfig /flushdns");
    EXPECT_EQ(log[0].wait_ms, 45000u);
    EXPECT_EQ(log[1].wait_ms, 15000u);
}

TEST_F(Primitives, a_command_that_outlives_the_wait_counts_as_failed) {
    fake.commands().script("slow", {.exit_code = 0, .duration_ms = 60000});
    fake.commands().script("medium", {.exit_code = 0, .duration_ms = 20000});
    EXPECT_FALSE(run_hidden("slow"));
    EXPECT_EQ(run_hidden_exit_code("slow"), kStillActive);
    // Twenty seconds is inside the long wait but past the short one.
    EXPECT_TRUE(run_hidden("medium"));
    EXPECT_EQ(run_hidden_exit_code("medium"), kStillActive);
}

TEST_F(Primitives, empty_or_unstartable_commands_fail_without_running_anything) {
    fake.commands().script("nope", {.startable = false});
    EXPECT_FALSE(run_hidden(nullptr));
    EXPECT_FALSE(run_hidden(""));
    EXPECT_EQ(run_hidden_exit_code(nullptr), 1u);
    EXPECT_EQ(run_hidden_exit_code(""), 1u);
    EXPECT_FALSE(run_hidden("nope"));
    EXPECT_EQ(run_hidden_exit_code("nope"), 1u);
    EXPECT_TRUE(fake.commands().log().empty());
}

TEST_F(Primitives, disable_scheduled_task_ends_then_disables_the_task) {
    disable_scheduled_task("\\Microsoft\\Windows\\Application Experience\\ProgramDataUpdater");
    EXPECT_EQ(fake.commands().texts(),
              (std::vector<std::string>{
                  "schtasks /end /tn \"\\Microsoft\\Windows\\Application Experience\\ProgramDataUpdater\" "
                  ">nul 2>&1",
                  "schtasks /change /tn \"\\Microsoft\\Windows\\Application Experience\\ProgramDataUpdater\" "
                  "/disable >nul 2>&1"}));
}

TEST_F(Primitives, disable_scheduled_task_goes_on_when_ending_fails) {
    fake.commands().script("schtasks /end /tn \"T\" >nul 2>&1", {.exit_code = 1});
    disable_scheduled_task("T");
    EXPECT_EQ(fake.commands().log().size(), 2u);
}

// [SECTION] Services

TEST_F(Primitives, a_missing_service_leaves_every_other_service_untouched) {
    fake.services().add("Audiosrv", {.start_type = 3, .running = false});
    fake.services().add("SysMain", {.start_type = 2, .running = true});
    set_automatic_and_start("NoSuchService");
    stop_and_set_start_type("NoSuchService", 4);
    EXPECT_EQ(fake.services().get("Audiosrv")->start_type, 3u);
    EXPECT_FALSE(fake.services().get("Audiosrv")->running);
    EXPECT_EQ(fake.services().get("SysMain")->start_type, 2u);
    EXPECT_TRUE(fake.services().get("SysMain")->running);
    EXPECT_FALSE(fake.services().get("NoSuchService"));
    EXPECT_TRUE(fake.journal().empty());
}

TEST_F(Primitives, service_operations_set_start_type_and_state) {
    fake.services().add("Audiosrv", {.start_type = 4, .running = false});
    fake.services().add("SysMain", {.start_type = 2, .running = true});
    set_automatic_and_start("audiosrv"); // service names ignore case
    stop_and_set_start_type("SysMain", 4);
    EXPECT_EQ(fake.services().get("Audiosrv")->start_type, 2u);
    EXPECT_TRUE(fake.services().get("Audiosrv")->running);
    EXPECT_EQ(fake.services().get("SysMain")->start_type, 4u);
    EXPECT_FALSE(fake.services().get("SysMain")->running);
}

// [SECTION] Security and optional entry points

TEST_F(Primitives, optional_entry_points_are_found_only_when_present) {
    EXPECT_EQ(resolve_optional("ntdll.dll", "NtSetTimerResolution"), nullptr);
    fake.security().provide_entry("ntdll.dll", "NtSetTimerResolution");
    EXPECT_NE(resolve_optional("NTDLL.DLL", "NtSetTimerResolution"), nullptr);
    EXPECT_EQ(resolve_optional(nullptr, "NtSetTimerResolution"), nullptr);
}

TEST_F(Primitives, debug_privilege_needs_administrator_rights) {
    fake.security().set_elevated(false);
    EXPECT_FALSE(enable_debug_privilege());
    fake.security().set_elevated(true);
    EXPECT_TRUE(enable_debug_privilege());
    EXPECT_TRUE(fake.security().debug_privilege_enabled());
}

} // namespace
} // namespace tavrine
