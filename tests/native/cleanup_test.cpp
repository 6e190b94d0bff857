// The Cleanup path's commands and values on the fake machine: the volume it optimises, the
// restore point, the Windows pass and telemetry.

#include "platform/fake/fake_machine.h"
#include "runs/module_state.h"
#include "tweaks/cleanup.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavrine {
namespace {

class Cleanup : public ::testing::Test {
protected:
    Cleanup() : scope_(fake) {}
    ~Cleanup() override { target_drive().store('C'); }
    std::vector<std::string> commands() { return fake.commands().texts(); }
    std::string drive_command(char letter) {
        target_drive().store(letter);
        const std::size_t before = commands().size();
        optimize_target_drive();
        const auto texts = commands();
        return texts.size() > before ? texts.back() : std::string("(nothing)");
    }

    FakeMachine fake;

private:
    ScopedMachine scope_;
};

TEST_F(Cleanup, target_drive_starts_at_c) {
    EXPECT_EQ(target_drive().load(), 'C');
}

TEST_F(Cleanup, solid_state_volumes_are_retrimmed_and_everything_else_defragmented) {
    fake.files().add_drive('C', {DriveType::Fixed, SeekPenalty::None});
    fake.files().add_drive('D', {DriveType::Fixed, SeekPenalty::Incurs});
    fake.files().add_drive('E', {DriveType::Removable, SeekPenalty::Unknown});

    EXPECT_EQ(drive_command('C'), "powershell -NoProfile -Command \"Optimize-Volume -DriveLetter C -ReTrim "
                                  "-ErrorAction SilentlyContinue\"");
    EXPECT_EQ(drive_command('d'), "powershell -NoProfile -Command \"Optimize-Volume -DriveLetter D -Defrag "
                                  "-ErrorAction SilentlyContinue\"");
    EXPECT_NE(drive_command('E').find("-DriveLetter E -Defrag"), std::string::npos);
    EXPECT_NE(drive_command('Q').find("-DriveLetter Q -Defrag"), std::string::npos)
        << "a volume that is not there";
}

TEST_F(Cleanup, a_target_that_is_not_a_letter_does_nothing) {
    EXPECT_EQ(drive_command('\0'), "(nothing)");
    EXPECT_EQ(drive_command('3'), "(nothing)");
    EXPECT_EQ(drive_command(':'), "(nothing)");
    EXPECT_TRUE(fake.journal().empty());
}

TEST_F(Cleanup, restore_point_always_protects_c_and_carries_the_product_name) {
    fake.files().add_drive('D', {DriveType::Fixed, SeekPenalty::None});
    target_drive().store('D');
    const char* key = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SystemRestore";
    fake.registry().put_dword(key, "RPSessionInterval", 1);
    fake.registry().put_dword(key, "DisableConfig", 1);

    create_restore_point();

    EXPECT_FALSE(fake.registry().has_value(key, "RPSessionInterval"));
    EXPECT_FALSE(fake.registry().has_value(key, "DisableConfig"));
    EXPECT_EQ(fake.registry().dword(key, "SystemRestorePointCreationFrequency"), 0u);
    const auto texts = commands();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("Enable-ComputerRestore -Drive 'C:\\'"), std::string::npos);
    EXPECT_NE(texts[1].find("Checkpoint-Computer -Description 'Tavrine Optimiser restore point'"),
              std::string::npos);
}

TEST_F(Cleanup, windows_pass_leaves_every_value_it_writes_in_place_and_ends_on_its_tasks) {
    const auto windows_pass_state = [this] {
        for (const ModuleStateRow& row : compute_module_states(PathKind::Cleanup, fake)) {
            if (row.module == Module::WindowsPass) {
                return row.state;
            }
        }
        return ModuleState{};
    };
    EXPECT_NE(windows_pass_state().kind, ModuleStateKind::Applied);

    apply_windows_pass();

    const ModuleState after = windows_pass_state();
    EXPECT_EQ(after.kind, ModuleStateKind::Applied) << state_text(after);
    EXPECT_GT(after.checkable, 100);
    EXPECT_EQ(fake.registry().dword("HKCU\\Control Panel\\Desktop", "JPEGImportQuality"), 256u);
    EXPECT_EQ(fake.registry().dword("HKLM\\SYSTEM\\CurrentControlSet\\Services\\AFD\\Parameters",
                                    "FastSendDatagramThreshold"),
              409600u);
    EXPECT_EQ(
        fake.registry().text("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\"
                             "ConsentStore\\webcam",
                             "Value"),
        "Allow");
    EXPECT_EQ(commands().back(),
              "schtasks /change /tn \"\\Microsoft\\XblGameSave\\XblGameSaveTask\" /disable >nul 2>&1");
}

TEST_F(Cleanup, telemetry_disables_both_tracking_services) {
    fake.services().add("DiagTrack", {.start_type = 2, .running = true});
    fake.services().add("dmwappushservice", {.start_type = 3, .running = false});

    disable_telemetry();

    EXPECT_EQ(fake.services().get("DiagTrack")->start_type, 4u);
    EXPECT_EQ(fake.services().get("dmwappushservice")->start_type, 4u);
    EXPECT_EQ(fake.registry().dword("HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection",
                                    "AllowTelemetry"),
              0u);
}

} // namespace
} // namespace tavrine
