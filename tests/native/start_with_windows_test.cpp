// Start with Windows on the fake machine: which file the logon task starts (a protected copy,
// or the program in place when only administrators can write its folder), the definition
// handed to the scheduler, the Run values that go either way, and what the toggle reads back.

#include "engine/start_with_windows.h"
#include "platform/run_keys.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

namespace tavrine {
namespace {

constexpr const char* kExe = "C:\\Users\\Player\\Downloads\\Games & Tools\\TavrineOptimiser.exe";
constexpr const char* kCopy = "C:\\Program Files\\Tavrine Optimiser\\TavrineOptimiser.exe";
constexpr const char* kProgramBytes = "MZ this program";

class StartWithWindows : public test::EngineTest {
protected:
    StartWithWindows() {
        run_from(kExe);
        fake.files().add_folder("C:\\Windows\\Temp");
        fake.registry().put_string(kUserRunKey, "DunmarrowOptimiser", "C:\\Old\\Dunmarrow.exe");
        fake.registry().put_string(kUserRunKey, "TavrineOptimiser", "C:\\Old\\TavrineOptimiser.exe");
    }
    void run_from(const char* path) {
        fake.files().add_text_file(path, kProgramBytes);
        fake.processes().add(
            FakeProcess{.pid = 4242, .exe_name = "TavrineOptimiser.exe", .image_path = path});
        fake.processes().set_current_process_id(4242);
    }
    std::string task_command() {
        const std::string xml = fake.tasks().definition(kStartupTaskName).value_or("");
        const std::size_t start = xml.find("<Command>");
        const std::size_t end = xml.find("</Command>");
        return start == std::string::npos || end == std::string::npos
                   ? ""
                   : xml.substr(start + 9, end - start - 9);
    }
};

TEST_F(StartWithWindows, on_registers_the_task_for_a_protected_copy_never_for_the_user_writable_file) {
    EXPECT_TRUE(set_start_with_windows(true));

    EXPECT_EQ(task_command(), "\"C:\\Program Files\\Tavrine Optimiser\\TavrineOptimiser.exe\"");
    EXPECT_EQ(fake.files().entry(kCopy).value_or(FakeFile{}).content, kProgramBytes);
    const std::string xml = fake.tasks().definition(kStartupTaskName).value_or("");
    EXPECT_NE(xml.find("<RunLevel>HighestAvailable</RunLevel>"), std::string::npos);
    EXPECT_NE(xml.find("<LogonTrigger>"), std::string::npos);
    EXPECT_FALSE(fake.registry().has_value(kUserRunKey, "DunmarrowOptimiser"));
    EXPECT_FALSE(fake.registry().has_value(kUserRunKey, "TavrineOptimiser"));
    EXPECT_EQ(startup_executable(), kCopy);
    // The definition travels in memory: nothing is written in a temporary folder, even for a
    // moment, and no command runs.
    for (const std::string& line : fake.journal()) {
        EXPECT_EQ(line.find("\\Temp\\"), std::string::npos) << line;
    }
    EXPECT_TRUE(fake.commands().texts().empty());
}

TEST_F(StartWithWindows, on_again_refreshes_the_copy_whole) {
    fake.files().add_text_file(kCopy, "MZ an older build");
    EXPECT_TRUE(set_start_with_windows(true));
    EXPECT_EQ(fake.files().entry(kCopy).value_or(FakeFile{}).content, kProgramBytes);
    fake.files().fail_writes(true);
    fake.files().add_text_file(kExe, "MZ a newer build");
    EXPECT_FALSE(set_start_with_windows(true));
    EXPECT_EQ(fake.files().entry(kCopy).value_or(FakeFile{}).content, kProgramBytes);
}

TEST_F(StartWithWindows, a_program_in_an_admin_only_folder_registers_in_place_without_a_copy) {
    const char* installed = "C:\\Program Files\\Games & Tools\\TavrineOptimiser.exe";
    run_from(installed);
    fake.files().set_security("C:\\Program Files\\Games & Tools", FakeOwner::TrustedInstaller, false);
    EXPECT_TRUE(set_start_with_windows(true));
    EXPECT_EQ(task_command(), "\"C:\\Program Files\\Games &amp; Tools\\TavrineOptimiser.exe\"");
    EXPECT_FALSE(fake.files().exists(kCopy));
    EXPECT_EQ(startup_executable(), installed);
}

TEST_F(StartWithWindows, a_copy_folder_another_account_can_write_is_refused) {
    fake.files().add_folder("C:\\Program Files\\Tavrine Optimiser");
    fake.files().set_security("C:\\Program Files\\Tavrine Optimiser", FakeOwner::User, true);
    EXPECT_FALSE(set_start_with_windows(true));
    EXPECT_FALSE(fake.tasks().task_exists(kStartupTaskName));
    EXPECT_FALSE(fake.files().exists(kCopy));
}

TEST_F(StartWithWindows, off_removes_the_task_the_copy_and_both_run_values) {
    ASSERT_TRUE(set_start_with_windows(true));
    EXPECT_FALSE(set_start_with_windows(false));
    EXPECT_FALSE(fake.tasks().task_exists(kStartupTaskName));
    EXPECT_FALSE(fake.files().exists(kCopy));
    EXPECT_FALSE(fake.registry().has_value(kUserRunKey, "DunmarrowOptimiser"));
    EXPECT_FALSE(fake.registry().has_value(kUserRunKey, "TavrineOptimiser"));
    EXPECT_TRUE(fake.files().exists(kExe));
}

TEST_F(StartWithWindows, a_path_in_any_script_is_registered_escaped_as_xml_needs) {
    // "C:\Spiele & Co 李明\Tävrine 🎮.exe", in a folder only administrators may change.
    run_from("C:\\Spiele & Co \xE6\x9D\x8E\xE6\x98\x8E\\T\xC3\xA4vrine \xF0\x9F\x8E\xAE.exe");
    fake.files().set_security("C:\\Spiele & Co \xE6\x9D\x8E\xE6\x98\x8E", FakeOwner::Administrators, false);
    ASSERT_TRUE(set_start_with_windows(true));
    EXPECT_EQ(task_command(),
              "\"C:\\Spiele &amp; Co \xE6\x9D\x8E\xE6\x98\x8E\\T\xC3\xA4vrine \xF0\x9F\x8E\xAE.exe\"");
}

TEST_F(StartWithWindows, a_path_the_task_cannot_hold_is_refused_without_registering_anything) {
    EXPECT_EQ(startup_task_xml("C:\\%USERNAME%\\Tavrine.exe"), std::nullopt);
    EXPECT_EQ(startup_task_xml("C:\\Spiele\\T\xE4vrine.exe"), std::nullopt); // not UTF-8
    EXPECT_EQ(startup_task_xml(""), std::nullopt);
    run_from("C:\\Program Files\\100%\\T.exe");
    fake.files().set_security("C:\\Program Files\\100%", FakeOwner::Administrators, false);
    EXPECT_FALSE(set_start_with_windows(true));
    EXPECT_FALSE(fake.tasks().task_exists(kStartupTaskName));
}

TEST_F(StartWithWindows, a_failed_registration_is_not_reported_as_on) {
    fake.tasks().refuse_registrations();
    EXPECT_FALSE(set_start_with_windows(true));
}

TEST_F(StartWithWindows, the_entry_exists_for_the_task_or_either_run_value) {
    EXPECT_TRUE(startup_entry_exists()); // both Run values
    set_start_with_windows(false);
    EXPECT_FALSE(startup_entry_exists());
    fake.registry().put_string(kUserRunKey, "DunmarrowOptimiser", "C:\\Old\\Dunmarrow.exe");
    EXPECT_TRUE(startup_entry_exists());
    set_start_with_windows(false);
    fake.tasks().add(kStartupTaskName, "<Task/>");
    EXPECT_TRUE(startup_entry_exists());
}

} // namespace
} // namespace tavrine
