// The settings folder: where each file is read from and written to, and that a write is whole
// or nothing.

#include "engine/app_data_folder.h"
#include "engine/run_status.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tavrine {
namespace {

constexpr const char* kRoaming = "C:\\Users\\Player\\AppData\\Roaming";

class SettingsFolder : public test::EngineTest {};

TEST_F(SettingsFolder, legacy_copy_is_read_until_ours_exists_and_the_save_goes_to_ours) {
    fake.files().add_text_file(std::string(kRoaming) + "\\Zolt\\crosshair.cfg", "1\r\n4\r\n");

    EXPECT_EQ(AppDataFolder::read_path(SettingsFile::Crosshair),
              std::string(kRoaming) + "\\Zolt\\crosshair.cfg");
    EXPECT_EQ(AppDataFolder::read(SettingsFile::Crosshair), "1\n4\n");
    // "Zolt" holds only the crosshair file.
    fake.files().add_text_file(std::string(kRoaming) + "\\Zolt\\hud.cfg", "1\n");
    EXPECT_FALSE(AppDataFolder::exists(SettingsFile::Hud));

    ASSERT_TRUE(AppDataFolder::write(SettingsFile::Crosshair, "0\n2\n"));
    const std::string ours = std::string(kRoaming) + "\\Tavrine\\crosshair.cfg";
    EXPECT_EQ(fake.files().entry(ours)->content, "0\r\n2\r\n");
    EXPECT_EQ(AppDataFolder::read(SettingsFile::Crosshair), "0\n2\n");
    // The legacy copy is never written.
    EXPECT_EQ(fake.files().entry(std::string(kRoaming) + "\\Zolt\\crosshair.cfg")->content, "1\r\n4\r\n");
}

TEST_F(SettingsFolder, failed_write_leaves_the_previous_file) {
    ASSERT_TRUE(AppDataFolder::write(SettingsFile::GpuFirst, "1\n1\nOld card\n"));
    fake.files().fail_writes(true);
    EXPECT_FALSE(AppDataFolder::write(SettingsFile::GpuFirst, "1\n2\nNew card\n"));
    EXPECT_EQ(AppDataFolder::read(SettingsFile::GpuFirst), "1\n1\nOld card\n");
}

TEST_F(SettingsFolder, a_settings_file_over_64_kib_is_left_alone_unread_and_said_so) {
    const std::string path = std::string(kRoaming) + "\\Tavrine\\hud.cfg";
    const std::string huge(kMaxSettingsFileBytes + 1, '1');
    fake.files().add_text_file(path, huge);
    EXPECT_EQ(AppDataFolder::read(SettingsFile::Hud), std::nullopt);
    EXPECT_NE(run_status().status_message.get().find("hud.cfg is larger than 64 KiB"), std::string::npos);
    EXPECT_EQ(fake.files().entry(path)->content, huge);
    fake.files().add_text_file(path, std::string(kMaxSettingsFileBytes, '1'));
    EXPECT_TRUE(AppDataFolder::read(SettingsFile::Hud).has_value());
}

TEST_F(SettingsFolder, without_a_roaming_folder_files_lie_flat_in_the_temporary_folder) {
    fake.files().set_roaming_folder("");
    fake.files().set_temp_folder("C:\\Temp");
    EXPECT_EQ(AppDataFolder::write_path(SettingsFile::Hud), "C:\\Temp\\Tavrine_hud.cfg");
    EXPECT_EQ(AppDataFolder::write_path(SettingsFile::GpuFirst), "C:\\Temp\\gpu_first.cfg");
    fake.files().add_folder("C:\\Temp");
    ASSERT_TRUE(AppDataFolder::write(SettingsFile::Hud, "1\n"));
    EXPECT_EQ(AppDataFolder::read(SettingsFile::Hud), "1\n");
}

TEST_F(SettingsFolder, a_link_at_any_level_is_neither_read_nor_written_through) {
    const std::string file = std::string(kRoaming) + "\\Tavrine\\gpu_first.cfg";
    const std::string levels[] = {"C:\\Users\\Player\\AppData", kRoaming, std::string(kRoaming) + "\\Tavrine",
                                  file};
    for (const std::string& level : levels) {
        for (const test::PlantedLink kind : {test::PlantedLink::Junction, test::PlantedLink::SymbolicLink}) {
            if (level == file && kind == test::PlantedLink::Junction) {
                continue;
            }
            SCOPED_TRACE(level + (kind == test::PlantedLink::Junction ? " junction" : " symbolic link"));
            FakeMachine machine;
            ScopedMachine scope(machine);
            const std::string elsewhere = level == file ? "C:\\Windows\\secret.cfg" : "C:\\Windows\\x";
            test::plant_link(machine.files(), file, level, kind, elsewhere, "1\r\n1\r\nSecret\r\n");
            const auto before = test::contents_below(machine.files(), "C:\\Windows");

            EXPECT_FALSE(AppDataFolder::read(SettingsFile::GpuFirst).has_value());
            EXPECT_FALSE(AppDataFolder::write(SettingsFile::GpuFirst, "1\n2\nNew card\n"));
            EXPECT_EQ(test::contents_below(machine.files(), "C:\\Windows"), before);
        }
    }
}

} // namespace
} // namespace tavrine
