// The file-tree deletion behind "Temp files" and "Browser cache", on the fake file tree.

#include "platform/fake/fake_machine.h"
#include "platform/recording/recording_machine.h"
#include "tweaks/cleanup.h"
#include "tweaks/temp_files.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavrine {
namespace {

constexpr const char* kLocal = "C:\\Users\\ana\\AppData\\Local";
constexpr const char* kTemp = "C:\\Users\\ana\\AppData\\Local\\Temp";

class TreeDeletion : public ::testing::Test {
protected:
    TreeDeletion() : scope_(fake) {
        files().set_temp_folder(kTemp);
        files().set_known_folder(KnownFolder::Profile, "C:\\Users\\ana");
        files().set_known_folder(KnownFolder::LocalAppData, kLocal);
        files().set_roaming_folder("C:\\Users\\ana\\AppData\\Roaming");
    }
    FakeFiles& files() { return fake.files(); }
    bool gone(const std::string& path) { return !files().exists(path); }

    FakeMachine fake;

private:
    ScopedMachine scope_;
};

TEST_F(TreeDeletion, temp_clean_empties_every_folder_of_files_and_keeps_the_folders) {
    const std::string t = kTemp;
    files().add_file(t + "\\setup.log", 100);
    files().add_file(t + "\\a\\b\\c\\deep.tmp", 7);
    files().add_folder(t + "\\empty");

    clean_temp_files();

    EXPECT_TRUE(files().files_below(t).empty());
    EXPECT_TRUE(files().exists(t + "\\a\\b\\c"));
    EXPECT_TRUE(files().exists(t + "\\empty"));
    EXPECT_TRUE(files().exists(t));
}

TEST_F(TreeDeletion, temp_clean_walks_its_folders_and_runs_its_commands_in_order) {
    files().set_temp_folder("C:\\Users\\ana\\Temp");
    const std::string windows_temp = "C:\\Windows\\Temp\\3.tmp";
    const std::string inet = std::string(kLocal) + "\\Microsoft\\Windows\\INetCache\\4.dat";
    const std::string logs = "C:\\Windows\\Logs\\5.log";
    const std::string archive = std::string(kLocal) + "\\Microsoft\\Windows\\WER\\ReportArchive\\6.wer";
    const std::string dump = std::string(kLocal) + "\\CrashDumps\\7.dmp";
    // Added in reverse, so the order seen is the routine's, not the tree's.
    for (const std::string& path : {archive, logs, dump, inet, windows_temp, std::string(kTemp) + "\\2.tmp",
                                    std::string("C:\\Users\\ana\\Temp\\1.tmp")}) {
        files().add_file(path, 1);
    }

    clean_temp_files();

    std::vector<std::string> seen;
    for (const std::string& line : fake.journal()) {
        if (line.rfind("DELETE FILE ", 0) == 0) {
            seen.push_back(line.substr(line.find_last_of('\\') + 1, 5));
        } else if (line.rfind("RUN ", 0) == 0) {
            seen.push_back(line);
        }
    }
    const std::vector<std::string> expected = {
        "1.tmp",
        "2.tmp",
        "3.tmp",
        "4.dat",
        "7.dmp",
        "5.log",
        "6.wer",
        "RUN powershell -NoProfile -Command \"Clear-RecycleBin -Force -ErrorAction SilentlyContinue\"",
    };
    EXPECT_EQ(seen, expected);
}

TEST_F(TreeDeletion, shader_cache_folders_stay_whole_in_any_letter_case_but_files_so_named_go) {
    const std::string t = kTemp;
    files().add_file(t + "\\NVIDIA Corporation\\cache.bin");
    files().add_file(t + "\\D3DSCache\\x\\blob");
    files().add_file(t + "\\my_DxVk_state\\s.bin");
    files().add_file(t + "\\nvidia.log");
    files().add_file(t + "\\shader_dump.txt");
    files().add_file(t + "\\plain\\nested_shader.bin"); // only folder names are tested

    clean_temp_files();

    EXPECT_TRUE(files().exists(t + "\\NVIDIA Corporation\\cache.bin"));
    EXPECT_TRUE(files().exists(t + "\\D3DSCache\\x\\blob"));
    EXPECT_TRUE(files().exists(t + "\\my_DxVk_state\\s.bin"));
    EXPECT_TRUE(gone(t + "\\nvidia.log"));
    EXPECT_TRUE(gone(t + "\\shader_dump.txt"));
    EXPECT_TRUE(gone(t + "\\plain\\nested_shader.bin"));
}

TEST_F(TreeDeletion, shader_cache_marker_test_ignores_case_and_position) {
    EXPECT_TRUE(is_shader_cache_folder("NVIDIA"));
    EXPECT_TRUE(is_shader_cache_folder("UnrealEngine"));
    EXPECT_TRUE(is_shader_cache_folder("xxPSOcache"));
    EXPECT_TRUE(is_shader_cache_folder("amdcache"));
    EXPECT_FALSE(is_shader_cache_folder("downloads"));
    EXPECT_FALSE(is_shader_cache_folder(""));
}

TEST_F(TreeDeletion, caches_and_logs_are_cleaned_without_the_marker_test) {
    const std::string inet = std::string(kLocal) + "\\Microsoft\\Windows\\INetCache";
    const std::string archive = std::string(kLocal) + "\\Microsoft\\Windows\\WER\\ReportArchive";
    files().add_file(inet + "\\NVIDIA\\x.dat");
    files().add_file("C:\\Windows\\Logs\\Shader\\y.log");
    files().add_file(archive + "\\AMD_crash\\report.wer");
    const std::string chrome = std::string(kLocal) + "\\Google\\Chrome\\User Data\\Default\\GPUCache";
    files().add_file(chrome + "\\nvidia\\data_0");

    clean_temp_files();
    clean_browser_caches();

    EXPECT_TRUE(files().files_below(inet).empty());
    EXPECT_TRUE(files().files_below("C:\\Windows\\Logs").empty());
    EXPECT_TRUE(files().files_below(archive).empty());
    EXPECT_TRUE(files().files_below(chrome).empty());
    EXPECT_TRUE(files().exists(chrome + "\\nvidia"));
}

TEST_F(TreeDeletion, firefox_empties_only_cache2_of_profiles_directly_below_profiles) {
    const std::string p = "C:\\Users\\ana\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles";
    files().add_file(p + "\\abc.default\\cache2\\entries\\E1", 10);
    files().add_file(p + "\\abc.default\\places.sqlite", 10);
    files().add_file(p + "\\.hidden\\cache2\\entries\\E2", 10);
    files().add_file(p + "\\loose-file", 10);
    files().add_file(p + "\\abc.default\\sub\\cache2\\E3", 10);

    clean_browser_caches();

    EXPECT_TRUE(gone(p + "\\abc.default\\cache2\\entries\\E1"));
    EXPECT_TRUE(files().exists(p + "\\abc.default\\cache2\\entries"));
    EXPECT_TRUE(files().exists(p + "\\abc.default\\places.sqlite"));
    EXPECT_TRUE(files().exists(p + "\\.hidden\\cache2\\entries\\E2"));
    EXPECT_TRUE(files().exists(p + "\\loose-file"));
    EXPECT_TRUE(files().exists(p + "\\abc.default\\sub\\cache2\\E3"));
}

TEST_F(TreeDeletion, links_inside_a_temp_folder_are_never_followed_nor_touched) {
    const std::string t = kTemp;
    const std::string documents = "C:\\Users\\ana\\Documents";
    files().add_file(documents + "\\thesis.docx", 5000, kFileAttributeReadOnly);
    files().add_file(documents + "\\notes.txt", 50);
    files().add_link(t + "\\installer-junction", documents);
    files().add_link(t + "\\inner\\sync-link", documents);
    files().add_file(t + "\\inner\\ordinary.tmp");

    clean_temp_files();
    delete_files_in_tree(t); // the cache walk, without the marker test, behaves the same

    EXPECT_TRUE(files().exists(documents + "\\thesis.docx"));
    EXPECT_TRUE(files().exists(documents + "\\notes.txt"));
    EXPECT_EQ(files().entry(documents + "\\thesis.docx")->attributes, kFileAttributeReadOnly);
    EXPECT_TRUE(files().exists(t + "\\installer-junction"));
    EXPECT_TRUE(files().exists(t + "\\inner\\sync-link"));
    EXPECT_TRUE(gone(t + "\\inner\\ordinary.tmp"));
    for (const std::string& line : fake.journal()) {
        EXPECT_EQ(line.find("Documents"), std::string::npos) << line;
        EXPECT_EQ(line.find("junction"), std::string::npos) << line;
    }
}

// Another user swaps a folder of a shared temp folder for a junction to someone's documents,
// once just after the walk listed the parent, once while the walk is inside the folder.
TEST_F(TreeDeletion, a_folder_swapped_for_a_link_during_the_walk_never_leads_it_out) {
    const std::string t = kTemp;
    const std::string documents = "C:\\Users\\ana\\Documents";
    files().add_file(documents + "\\thesis.docx", 100);
    files().add_file(documents + "\\inner\\notes.txt", 100);
    files().add_folder(t + "\\early");
    files().add_file(t + "\\late\\inner\\notes.txt");
    files().add_file(t + "\\late\\thesis.docx");
    files().add_file(t + "\\zz.tmp");
    bool early_swapped = false;
    bool late_refused = false;
    files().on_listed([&](std::string_view folder) {
        if (folder == t && !early_swapped) {
            early_swapped = files().replace_with_link(t + "\\early", documents);
        }
        if (folder == t + "\\late\\inner") {
            late_refused = !files().replace_with_link(t + "\\late", documents);
        }
    });

    clean_temp_files();

    EXPECT_TRUE(early_swapped) << "nothing holds a folder the walk has not reached";
    EXPECT_TRUE(late_refused) << "the walk holds the folders it is inside";
    EXPECT_TRUE(files().exists(documents + "\\thesis.docx"));
    EXPECT_TRUE(files().exists(documents + "\\inner\\notes.txt"));
    EXPECT_TRUE(files().files_below(t).empty()) << "late, and everything else, emptied as usual";
    EXPECT_EQ(files().pinned_count(), 0u);
}

TEST_F(TreeDeletion, a_temp_folder_that_is_itself_a_link_is_left_alone) {
    // Planted by a program without administrator rights, a junction at %TEMP% would lead this
    // administrator's walk into a system folder.
    files().add_file("C:\\Windows\\System32\\drivers\\disk.sys");
    files().set_temp_folder("C:\\Users\\ana\\Temp");
    files().add_link("C:\\Users\\ana\\Temp", "C:\\Windows\\System32");

    clean_temp_files();

    EXPECT_TRUE(files().exists("C:\\Windows\\System32\\drivers\\disk.sys"));

    // The same one level up: the folder holding %TEMP% swapped for a junction.
    files().add_file("C:\\ProgramData\\Vendor\\Temp\\licence.dat");
    files().set_temp_folder("C:\\Users\\ana\\AppData\\Local\\Temp");
    files().add_link("C:\\Users\\ana\\AppData\\Local", "C:\\ProgramData\\Vendor");

    clean_temp_files();

    EXPECT_TRUE(files().exists("C:\\ProgramData\\Vendor\\Temp\\licence.dat"));
}

TEST_F(TreeDeletion, a_firefox_cache2_that_is_a_link_is_left_alone) {
    const std::string profiles = "C:\\Users\\ana\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles";
    const std::string documents = "C:\\Users\\ana\\Documents";
    files().add_file(documents + "\\thesis.docx", 100);
    files().add_file(profiles + "\\abc.default\\prefs.js");
    files().add_link(profiles + "\\abc.default\\cache2", documents);
    files().add_file(profiles + "\\def.default\\cache2\\entries\\x");

    clean_browser_caches();

    EXPECT_TRUE(files().exists(documents + "\\thesis.docx"));
    EXPECT_TRUE(gone(profiles + "\\def.default\\cache2\\entries\\x"));
}

TEST_F(TreeDeletion, a_cache_root_reached_through_the_walk_of_a_link_is_not_emptied) {
    // The fake follows links like Windows does: were the walk to enter the link, the
    // canary would go. This guards the guard.
    files().add_file("C:\\Elsewhere\\canary.txt");
    files().add_link(std::string(kTemp) + "\\link", "C:\\Elsewhere");
    ASSERT_TRUE(files().list_folder(std::string(kTemp) + "\\link").has_value());

    delete_temp_tree(kTemp);

    EXPECT_TRUE(files().exists("C:\\Elsewhere\\canary.txt"));
}

TEST_F(TreeDeletion, read_only_files_go_and_files_in_use_stay_as_they_were) {
    const std::string t = kTemp;
    files().add_file(t + "\\locked.dat", 1, kFileAttributeHidden);
    files().hold_open(t + "\\locked.dat");
    files().add_file(t + "\\ro.txt", 1, kFileAttributeReadOnly);
    files().add_file(t + "\\after.txt", 1);

    clean_temp_files();

    EXPECT_TRUE(gone(t + "\\ro.txt"));
    EXPECT_TRUE(gone(t + "\\after.txt"));
    ASSERT_TRUE(files().exists(t + "\\locked.dat"));
    EXPECT_EQ(files().entry(t + "\\locked.dat")->attributes, kFileAttributeHidden);
}

TEST_F(TreeDeletion, a_folder_that_cannot_be_listed_is_passed_over_and_the_walk_goes_on) {
    const std::string t = kTemp;
    files().add_file(t + "\\a-private\\secret.tmp");
    files().deny_listing(t + "\\a-private");
    files().add_file(t + "\\z.tmp");

    clean_temp_files();

    EXPECT_TRUE(files().exists(t + "\\a-private\\secret.tmp"));
    EXPECT_TRUE(gone(t + "\\z.tmp"));
}

TEST_F(TreeDeletion, names_in_any_script_go_and_a_path_is_measured_as_windows_counts_it) {
    // "日本語.tmp", "Ünïcødé.log", "🎮.dat", and a name of 80 CJK characters: 240 bytes of
    // UTF-8 and a path of 275 bytes, but 116 UTF-16 units, well within what Windows takes.
    const std::string t = kTemp;
    std::string long_cjk;
    for (int i = 0; i < 80; ++i) {
        long_cjk += "\xE6\x96\x87";
    }
    const std::string names[] = {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.tmp",
                                 "\xC3\x9Cn\xC3\xAF"
                                 "c\xC3\xB8"
                                 "d\xC3\xA9.log",
                                 "\xF0\x9F\x8E\xAE.dat", long_cjk};
    for (const std::string& name : names) {
        files().add_file(t + "\\" + name, 1);
    }
    ASSERT_GT((t + "\\" + long_cjk).size(), 260u);

    clean_temp_files();

    EXPECT_TRUE(files().files_below(t).empty());
}

TEST_F(TreeDeletion, an_entry_whose_path_does_not_fit_260_units_is_left_alone_not_cut_short) {
    const std::string t = kTemp;
    const std::string folder = t + "\\" + std::string(200 - t.size(), 'f');
    const std::string short_name = std::string(258 - folder.size(), 'n'); // folder\name: 259 bytes, fits
    const std::string long_name = short_name + ".bak";                    // would be cut to short_name
    files().add_file(folder + "\\" + long_name);
    ASSERT_EQ((folder + "\\" + short_name).size(), 259u);

    delete_temp_tree(t);

    EXPECT_TRUE(files().exists(folder + "\\" + long_name));
}

TEST_F(TreeDeletion, a_temp_variable_that_names_a_drive_root_or_nothing_cleans_nothing) {
    files().add_file("C:\\pagefile.sys");
    files().add_file("C:\\Program Files\\Game\\game.exe");
    files().set_temp_folder("C:\\");
    clean_temp_files();
    EXPECT_TRUE(files().exists("C:\\pagefile.sys"));
    EXPECT_TRUE(files().exists("C:\\Program Files\\Game\\game.exe"));

    // Roots in disguise: Windows reads each of these as C:\ itself.
    for (const char* root : {"C:\\.", "C:\\Windows\\..", "C:\\Users\\..\\", "C:/Windows/../."}) {
        files().set_temp_folder(root);
        RecordingMachine recorder(fake);
        {
            ScopedMachine scope(recorder);
            clean_temp_files();
        }
        const std::vector<std::string> lines = recorder.lines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
            return line.find("skipped the temporary folder") != std::string::npos;
        })) << root;
    }
}

// Programs without administrator rights set the environment, the names of the user's folders
// and what lies in them; none of it may widen what the clean-up deletes or runs.
TEST_F(TreeDeletion, a_temp_folder_outside_the_profile_is_not_emptied_but_the_windows_one_is) {
    files().add_file("C:\\ProgramData\\Vendor\\licence.dat");
    files().set_temp_folder("C:\\ProgramData");
    clean_temp_files();
    EXPECT_TRUE(files().exists("C:\\ProgramData\\Vendor\\licence.dat"));

    files().set_temp_folder("C:\\Windows\\Temp");
    files().set_known_folder(KnownFolder::Windows, "D:\\Windows"); // only the system's own counts
    files().add_file("C:\\Windows\\Temp\\x.tmp");
    clean_temp_files();
    EXPECT_TRUE(files().exists("C:\\Windows\\Temp\\x.tmp"));
    files().set_known_folder(KnownFolder::Windows, "C:\\Windows");
    clean_temp_files();
    EXPECT_TRUE(gone("C:\\Windows\\Temp\\x.tmp"));
}

TEST_F(TreeDeletion, a_user_folder_renamed_outside_the_profile_is_not_emptied) {
    files().add_file("C:\\ProgramData\\Temp\\service.state");
    files().add_file("C:\\ProgramData\\CrashDumps\\keep.dmp");
    files().set_known_folder(KnownFolder::LocalAppData, "C:\\ProgramData");
    clean_temp_files();
    EXPECT_TRUE(files().exists("C:\\ProgramData\\Temp\\service.state"));
    EXPECT_TRUE(files().exists("C:\\ProgramData\\CrashDumps\\keep.dmp"));
}

TEST_F(TreeDeletion, crash_dumps_go_through_the_walk_and_no_command_is_built_from_a_variable) {
    const std::string dumps = std::string(kLocal) + "\\CrashDumps";
    files().add_file(dumps + "\\game.exe.1234.dmp", 10, kFileAttributeReadOnly);
    clean_temp_files();
    EXPECT_TRUE(gone(dumps + "\\game.exe.1234.dmp"));
    EXPECT_TRUE(files().exists(dumps));
    const std::vector<std::string> commands = fake.commands().texts();
    EXPECT_EQ(commands.size(), 1u) << "the recycle bin's only";
    for (const std::string& command : commands) {
        EXPECT_EQ(command.find('%'), std::string::npos) << command;
    }
}

TEST_F(TreeDeletion, a_crash_dumps_junction_is_left_alone) {
    files().add_file("C:\\Windows\\System32\\config\\SAM");
    files().add_link(std::string(kLocal) + "\\CrashDumps", "C:\\Windows\\System32\\config");
    clean_temp_files();
    EXPECT_TRUE(files().exists("C:\\Windows\\System32\\config\\SAM"));
}

TEST_F(TreeDeletion, the_plan_sums_up_deletions_and_deletes_nothing) {
    const std::string t = kTemp;
    for (int i = 0; i < 25; ++i) {
        files().add_file(t + "\\f" + std::to_string(100 + i) + ".tmp", 1000);
    }
    files().add_file(t + "\\ro.tmp", 24, kFileAttributeReadOnly);
    const std::size_t journal_before = fake.journal().size();

    RecordingMachine recorder(fake);
    {
        ScopedMachine scope(recorder);
        clean_temp_files();
    }
    const std::vector<std::string> lines = recorder.lines();

    EXPECT_EQ(files().files_below(t).size(), 26u);
    EXPECT_EQ(fake.journal().size(), journal_before);
    const auto summary = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("DELETE FILES ", 0) == 0;
    });
    ASSERT_NE(summary, lines.end());
    EXPECT_NE(summary->find("26 files"), std::string::npos) << *summary;
    EXPECT_NE(summary->find("25024 bytes"), std::string::npos) << *summary;
    EXPECT_NE(summary->find("read-only cleared first on 1"), std::string::npos) << *summary;
    const auto shown = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("DELETE FILE C:\\") != std::string::npos;
    });
    EXPECT_EQ(shown, 10);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("and 16 more") != std::string::npos;
    }));
    // The summary keeps its place: before the recycle bin command that follows the trees.
    const auto recycle = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("RUN powershell", 0) == 0;
    });
    EXPECT_LT(summary, recycle);
}

} // namespace
} // namespace tavrine
