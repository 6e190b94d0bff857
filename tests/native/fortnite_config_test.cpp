// The Fortnite configuration rewrite on the fake machine's files: each file back in its own
// encoding with every edit and every line of the user's, one backup that is never redone, and
// files that cannot be read safely left exactly as they are.

#include "games/compat_layers.h"
#include "games/config_encoding.h"
#include "games/fortnite_config.h"
#include "games/fortnite_edits.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrine {
namespace {

constexpr const char* kLocal = "C:\\Users\\Player\\AppData\\Local";
constexpr const char* kRoot = "C:\\Users\\Player\\AppData\\Local\\FortniteGame";
constexpr const char* kClient =
    "C:\\Users\\Player\\AppData\\Local\\FortniteGame\\Saved\\Config\\WindowsClient";
const std::string kSettings = std::string(kClient) + "\\GameUserSettings.ini";
const std::string kEngine = std::string(kClient) + "\\Engine.ini";

std::string utf16(std::string_view text) {
    return encode_config_text(text, true);
}

class FortniteConfig : public test::EngineTest {
protected:
    FortniteConfig() {
        fake.files().set_known_folder(KnownFolder::LocalAppData, kLocal);
        fake.files().add_folder(kRoot);
    }
    std::string content(std::string_view path) {
        return fake.files().entry(path).value_or(FakeFile{}).content;
    }
};

TEST_F(FortniteConfig, each_file_keeps_its_encoding_and_the_users_lines_after_one_exact_backup) {
    const std::string settings = utf16("[ScalabilityGroups]\r\nsg.ShadowQuality = 3\r\n[Mine]\r\nKeep=1\r\n");
    const std::string engine = "\xEF\xBB\xBF[SystemSettings]\r\nr.VSync=1\r\n";
    fake.files().add_text_file(kSettings, settings);
    fake.files().add_text_file(kEngine, engine, kFileAttributeReadOnly);

    apply_fortnite_performance_config();

    const ConfigText new_settings = decode_config_text(content(kSettings));
    EXPECT_TRUE(new_settings.was_utf16);
    EXPECT_NE(new_settings.text.find("[ScalabilityGroups]\r\nsg.LandscapeQuality=0\r\n"), std::string::npos);
    EXPECT_NE(new_settings.text.find("sg.ShadowQuality=0\r\n"), std::string::npos);
    EXPECT_NE(new_settings.text.find("[Mine]\r\nKeep=1\r\n"), std::string::npos);
    EXPECT_EQ(new_settings.text.find("\n\n"), std::string::npos);
    EXPECT_EQ(content(kSettings + kBackupSuffix), settings);

    const std::string new_engine = content(kEngine);
    EXPECT_TRUE(new_engine.starts_with("[SystemSettings]\r\n")) << "no mark written back";
    EXPECT_NE(new_engine.find("r.VSync=0\r\n"), std::string::npos);
    EXPECT_NE(new_engine.find("[ConsoleVariables]\r\n"), std::string::npos);
    EXPECT_EQ(fake.files().entry(kEngine)->attributes & kFileAttributeReadOnly, 0u);
    EXPECT_EQ(content(kEngine + kBackupSuffix), engine);

    EXPECT_EQ(fake.registry().text(kLayersKey, kFortniteExe), kFullscreenLayer);
    EXPECT_EQ(fake.registry().text(kDirectXKey, "DirectXUserGlobalSettings"), kDirectXGlobalSettings);
    EXPECT_FALSE(fake.files().exists(std::string(kRoot) + "\\Saved\\Config\\WinGDK"));
}

TEST_F(FortniteConfig, a_second_run_changes_no_file_and_no_backup) {
    fake.files().add_text_file(kSettings, utf16("[ScalabilityGroups]\r\nsg.ShadowQuality=3\r\n"));
    apply_fortnite_performance_config();
    const std::string settings = content(kSettings);
    const std::string backup = content(kSettings + kBackupSuffix);
    apply_fortnite_performance_config();
    EXPECT_EQ(content(kSettings), settings);
    EXPECT_EQ(content(kSettings + kBackupSuffix), backup);
}

TEST_F(FortniteConfig,
       missing_files_are_made_utf16_with_exactly_the_edits_and_only_existing_platforms_are_edited) {
    fake.files().add_folder(std::string(kRoot) + "\\Saved\\Config\\WindowsNoEditor");
    apply_fortnite_performance_config();
    const ConfigText made = decode_config_text(content(kSettings));
    EXPECT_TRUE(made.was_utf16);
    std::size_t lines = 0;
    for (const char c : made.text) {
        lines += c == '\n';
    }
    EXPECT_EQ(lines, 4u + game_user_settings_edits().size()); // four headers and one line per edit
    EXPECT_FALSE(fake.files().exists(kSettings + kBackupSuffix));
    EXPECT_TRUE(fake.files().exists(std::string(kRoot) + "\\Saved\\Config\\WindowsNoEditor\\Engine.ini"));
    EXPECT_FALSE(fake.files().exists(std::string(kRoot) + "\\Saved\\Config\\Windows"));
}

TEST_F(FortniteConfig, a_legacy_backup_stands_in_for_ours) {
    fake.files().add_text_file(kEngine, "[SystemSettings]\r\n");
    fake.files().add_text_file(kEngine + kLegacyBackupSuffix, "old");
    EXPECT_EQ(make_first_backup(kEngine), BackupOutcome::NotDue);
    EXPECT_FALSE(fake.files().exists(kEngine + kBackupSuffix));
}

TEST_F(FortniteConfig, a_file_too_big_unreadable_or_without_its_backup_is_left_as_it_was) {
    const std::string big = std::string(kClient) + "\\Big.ini";
    fake.files().add_file(big, kMaxConfigFileBytes + 1);
    EXPECT_EQ(edit_ini_file(big, engine_edits()), IniFileOutcome::LeftAlone);

    fake.files().add_text_file(kSettings, utf16("[Mine]\r\nKeep=1\r\n"));
    fake.files().deny_reading(kSettings);
    EXPECT_EQ(edit_ini_file(kSettings, game_user_settings_edits()), IniFileOutcome::LeftAlone);

    fake.files().add_text_file(kEngine, "[Mine]\r\nKeep=1\r\n");
    fake.files().fail_writes(true); // the backup's copy fails first
    EXPECT_EQ(edit_ini_file(kEngine, engine_edits()), IniFileOutcome::LeftAlone);
    fake.files().fail_writes(false);

    EXPECT_EQ(fake.files().entry(big)->size, kMaxConfigFileBytes + 1);
    EXPECT_EQ(content(kSettings), utf16("[Mine]\r\nKeep=1\r\n"));
    EXPECT_EQ(content(kEngine), "[Mine]\r\nKeep=1\r\n");
    EXPECT_EQ(fake.files().files_below(kClient).size(), 3u) << "no backup, no temporary file";
}

// A program without administrator rights can plant a link anywhere below the profile; the
// elevated edit must neither read nor write where it leads, and the run goes on.
TEST_F(FortniteConfig, a_link_at_any_level_of_the_config_path_is_left_alone_and_what_it_leads_to_untouched) {
    const std::string levels[] = {
        kLocal,  kRoot,    std::string(kRoot) + "\\Saved", std::string(kRoot) + "\\Saved\\Config",
        kClient, kSettings};
    for (const std::string& level : levels) {
        for (const test::PlantedLink kind : {test::PlantedLink::Junction, test::PlantedLink::SymbolicLink}) {
            const bool file = level == kSettings;
            if (file && kind == test::PlantedLink::Junction) {
                continue;
            }
            SCOPED_TRACE(level + (kind == test::PlantedLink::Junction ? " junction" : " symbolic link"));
            FakeMachine machine;
            ScopedMachine scope(machine);
            FakeFiles& files = machine.files();
            files.set_known_folder(KnownFolder::LocalAppData, kLocal);
            const std::string elsewhere =
                file ? "C:\\Windows\\System32\\secret.ini" : "C:\\Windows\\System32\\x";
            test::plant_link(files, kSettings, level, kind, elsewhere, "[Secret]\r\nKey=1\r\n");
            const auto before = test::contents_below(files, "C:\\Windows");

            apply_fortnite_performance_config();

            EXPECT_EQ(test::contents_below(files, "C:\\Windows"), before);
            for (const auto& [path, content] : test::contents_below(files, "C:\\Users")) {
                EXPECT_EQ(content.find("Secret"), std::string::npos) << path << " holds a copy";
            }
            EXPECT_EQ(machine.registry().text(kLayersKey, kFortniteExe), kFullscreenLayer)
                << "the run went on";
        }
    }
}

TEST_F(FortniteConfig, a_folder_swapped_for_a_link_between_check_and_use_receives_nothing) {
    fake.files().add_text_file(kSettings, "[Mine]\r\nKeep=1\r\n");
    fake.files().add_text_file("C:\\Windows\\System32\\x\\GameUserSettings.ini", "[Secret]\r\n");
    const auto before = test::contents_below(fake.files(), "C:\\Windows");
    bool swapped = false;
    fake.files().on_checked([&](std::string_view path) {
        if (!swapped && path == kSettings + kBackupSuffix) {
            swapped = fake.files().replace_with_link(kClient, "C:\\Windows\\System32\\x");
        }
    });
    EXPECT_EQ(edit_ini_file(kSettings, game_user_settings_edits()), IniFileOutcome::LeftAlone);
    EXPECT_TRUE(swapped);
    EXPECT_EQ(test::contents_below(fake.files(), "C:\\Windows"), before);
}

TEST_F(FortniteConfig, without_the_game_folder_nothing_at_all_is_changed) {
    fake.files().set_known_folder(KnownFolder::LocalAppData, "C:\\Users\\Nobody\\AppData\\Local");
    apply_fortnite_performance_config();
    fake.files().set_known_folder(KnownFolder::LocalAppData, "");
    apply_fortnite_performance_config();
    EXPECT_TRUE(fake.journal().empty());
}

} // namespace
} // namespace tavrine
