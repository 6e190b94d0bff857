// Start with Windows on the fake machine: the logon task's definition and commands, the Run
// values that go either way, and what the toggle reads back at start-up.

#include "engine/start_with_windows.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

namespace tavrine {
namespace {

constexpr const char* kExe = "C:\\Games & Tools\\Tavrine\\TavrineOptimiser.exe";
constexpr const char* kTaskXml = "C:\\Windows\\Temp\\TavrineOptimiser-logon-task.xml";
constexpr const char* kCreate =
    "schtasks /create /xml \"C:\\Windows\\Temp\\TavrineOptimiser-logon-task.xml\" "
    "/tn TavrineOptimiser /f";

class StartWithWindows : public test::EngineTest {
protected:
    StartWithWindows() {
        fake.processes().add(
            FakeProcess{.pid = 4242, .exe_name = "TavrineOptimiser.exe", .image_path = kExe});
        fake.processes().set_current_process_id(4242);
        fake.files().add_folder("C:\\Windows\\Temp");
        fake.registry().put_string(kRunKeyPath, "DunmarrowOptimiser", "C:\\Old\\Dunmarrow.exe");
        fake.registry().put_string(kRunKeyPath, "TavrineOptimiser", "C:\\Old\\TavrineOptimiser.exe");
    }
};

TEST_F(StartWithWindows, on_registers_a_logon_task_for_the_quoted_escaped_path_and_removes_both_run_values) {
    // The definition as schtasks finds it when it runs.
    std::string written;
    test::ObservedMachine observed(fake, [&](const char* /*what*/) {
        if (const auto file = fake.files().entry(kTaskXml)) {
            written = file->content;
        }
    });
    {
        ScopedMachine scope(observed);
        EXPECT_TRUE(set_start_with_windows(true));
    }

    EXPECT_EQ(fake.commands().texts(), std::vector<std::string>{kCreate});
    EXPECT_FALSE(fake.registry().has_value(kRunKeyPath, "DunmarrowOptimiser"));
    EXPECT_FALSE(fake.registry().has_value(kRunKeyPath, "TavrineOptimiser"));
    // UTF-16 with a byte-order mark; the temporary file is gone afterwards.
    ASSERT_GE(written.size(), 2u);
    EXPECT_EQ(written.substr(0, 2), "\xFF\xFE");
    std::string ascii;
    for (std::size_t i = 2; i < written.size(); i += 2) {
        ascii += written[i];
    }
    EXPECT_NE(ascii.find("<Command>\"C:\\Games &amp; Tools\\Tavrine\\TavrineOptimiser.exe\"</Command>"),
              std::string::npos);
    EXPECT_NE(ascii.find("<RunLevel>HighestAvailable</RunLevel>"), std::string::npos);
    EXPECT_NE(ascii.find("<LogonTrigger>"), std::string::npos);
    EXPECT_FALSE(fake.files().exists(kTaskXml));
}

TEST_F(StartWithWindows, a_path_the_task_cannot_hold_is_refused_without_registering_anything) {
    EXPECT_EQ(startup_task_xml("C:\\%USERNAME%\\Tavrine.exe"), std::nullopt);
    EXPECT_EQ(startup_task_xml("C:\\Spiele\\T\xC3\xA4vrine.exe"), std::nullopt);
    EXPECT_EQ(startup_task_xml(""), std::nullopt);
    fake.processes().add(FakeProcess{.pid = 7, .exe_name = "T.exe", .image_path = "C:\\100%\\T.exe"});
    fake.processes().set_current_process_id(7);
    EXPECT_FALSE(set_start_with_windows(true));
    EXPECT_TRUE(fake.commands().texts().empty());
}

TEST_F(StartWithWindows, a_failed_registration_is_not_reported_as_on) {
    fake.commands().script(kCreate, CommandScript{.exit_code = 1});
    EXPECT_FALSE(set_start_with_windows(true));
}

TEST_F(StartWithWindows, off_deletes_the_task_and_both_run_values) {
    EXPECT_FALSE(set_start_with_windows(false));
    EXPECT_EQ(fake.commands().texts(), std::vector<std::string>{"schtasks /delete /tn TavrineOptimiser /f"});
    EXPECT_FALSE(fake.registry().has_value(kRunKeyPath, "DunmarrowOptimiser"));
    EXPECT_FALSE(fake.registry().has_value(kRunKeyPath, "TavrineOptimiser"));
}

TEST_F(StartWithWindows, the_entry_exists_for_the_task_file_or_either_run_value) {
    EXPECT_TRUE(startup_entry_exists()); // both Run values
    fake.registry().put_string(kRunKeyPath, "TavrineOptimiser", "");
    set_start_with_windows(false);
    EXPECT_FALSE(startup_entry_exists());
    fake.registry().put_string(kRunKeyPath, "DunmarrowOptimiser", "C:\\Old\\Dunmarrow.exe");
    EXPECT_TRUE(startup_entry_exists());
    set_start_with_windows(false);
    fake.files().add_file("C:\\Windows\\System32\\Tasks\\TavrineOptimiser");
    EXPECT_TRUE(startup_entry_exists());
}

} // namespace
} // namespace tavrine
