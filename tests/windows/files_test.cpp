// The real file backend and the tree deletion on the Wine prefix's C: drive: listings,
// attributes, read-only files, a file held open, links, known folders and drives.

#include "engine/app_data_folder.h"
#include "folder_acl_win32.h"
#include "platform/files.h"
#include "platform/win32/win32_machine.h"
#include "tweaks/temp_files.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tavrine {
namespace {

namespace fs = std::filesystem;

class RealFiles : public test::RealMachineTest {
protected:
    Files& files() { return current_machine().files(); }
    static void write(const fs::path& path, const std::string& text = "x") {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    const fs::path& root() const { return scratch_.path(); }

private:
    test::ScratchFolder scratch_;
};

TEST_F(RealFiles, listing_gives_names_attributes_and_sizes) {
    write(root() / "a.txt", "12345");
    fs::create_directories(root() / "sub");

    const auto entries = files().list_folder(root().string());
    ASSERT_TRUE(entries.has_value());
    const auto find = [&](const std::string& name) {
        return std::find_if(entries->begin(), entries->end(),
                            [&](const FolderEntry& e) { return e.name == name; });
    };
    ASSERT_NE(find("a.txt"), entries->end());
    EXPECT_EQ(find("a.txt")->size, 5u);
    EXPECT_EQ(find("a.txt")->attributes & kFileAttributeDirectory, 0u);
    ASSERT_NE(find("sub"), entries->end());
    EXPECT_NE(find("sub")->attributes & kFileAttributeDirectory, 0u);
    EXPECT_FALSE(files().list_folder((root() / "missing").string()).has_value());
}

TEST_F(RealFiles, tree_deletion_empties_folders_clears_read_only_and_keeps_a_held_file) {
    const fs::path temp = root() / "Temp";
    write(temp / "plain.tmp");
    write(temp / "nested" / "deeper" / "x.log");
    write(temp / "ro.txt");
    ASSERT_TRUE(files().set_attributes((temp / "ro.txt").string(), kFileAttributeReadOnly));
    write(temp / "NVIDIA" / "DXCache" / "cache.bin");
    std::FILE* held = std::fopen((temp / "held.dat").string().c_str(), "wb");
    ASSERT_NE(held, nullptr);

    delete_temp_tree(temp.string());
    std::fclose(held);

    EXPECT_FALSE(fs::exists(temp / "plain.tmp"));
    EXPECT_FALSE(fs::exists(temp / "nested" / "deeper" / "x.log"));
    EXPECT_TRUE(fs::is_directory(temp / "nested" / "deeper"));
    EXPECT_FALSE(fs::exists(temp / "ro.txt"));
    EXPECT_TRUE(fs::exists(temp / "NVIDIA" / "DXCache" / "cache.bin"));
    EXPECT_TRUE(fs::exists(temp / "held.dat"));
}

// Run by tests/wine/30-cleanup.sh with TAVRINE_HOST_LINK naming a link made with `ln -s` from
// the host (Wine 8 cannot make links or junctions itself): Wine must report it as a reparse
// point, or the cleanup check there proves nothing.
TEST_F(RealFiles, a_link_made_from_the_host_is_listed_as_a_reparse_point) {
    const char* link = std::getenv("TAVRINE_HOST_LINK");
    if (link == nullptr || *link == '\0') {
        GTEST_SKIP() << "TAVRINE_HOST_LINK is not set";
    }
    const fs::path path(link);
    const auto entries = files().list_folder(path.parent_path().string());
    ASSERT_TRUE(entries.has_value());
    const auto entry = std::find_if(entries->begin(), entries->end(),
                                    [&](const FolderEntry& e) { return e.name == path.filename().string(); });
    ASSERT_NE(entry, entries->end());
    EXPECT_NE(entry->attributes & kFileAttributeReparsePoint, 0u);
    EXPECT_NE(entry->attributes & kFileAttributeDirectory, 0u);
    EXPECT_FALSE(files().pin_folder(path.string())) << "a link is never pinned, so never walked";
}

// Run the same way: the host's link leads to a folder holding "canary.txt" (and nothing else).
// No whole-file operation may go through it, whatever it is asked to do there.
TEST_F(RealFiles, a_link_made_from_the_host_is_never_gone_through_by_whole_file_operations) {
    const char* link = std::getenv("TAVRINE_HOST_LINK");
    if (link == nullptr || *link == '\0') {
        GTEST_SKIP() << "TAVRINE_HOST_LINK is not set";
    }
    const std::string canary = std::string(link) + "\\canary.txt";
    ASSERT_TRUE(fs::exists(canary)) << "the link leads to the canary";
    write(root() / "mine.txt", "mine");
    const std::string mine = (root() / "mine.txt").string();

    EXPECT_FALSE(files().path_is_plain(canary));
    EXPECT_FALSE(files().read_file(canary).has_value());
    EXPECT_FALSE(files().copy_file(canary, (root() / "copy.txt").string(), true));
    EXPECT_FALSE(files().write_file_whole(canary, "written"));
    EXPECT_FALSE(files().append_file(canary, "appended"));
    EXPECT_FALSE(files().copy_file(mine, std::string(link) + "\\copy.txt", true));
    EXPECT_FALSE(files().open_append(std::string(link) + "\\new.txt"));
    EXPECT_FALSE(files().create_folders(std::string(link) + "\\made"));

    EXPECT_FALSE(fs::exists(root() / "copy.txt"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(fs::path(link))) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u) << "nothing made beside the canary";
    std::ifstream text(canary);
    std::string content;
    std::getline(text, content);
    EXPECT_EQ(content, "canary");
}

// The history folder's protection. Wine keeps an entry for Everyone as the folder's Unix mode, so it
// reads back there too.
TEST_F(RealFiles, an_admin_only_folder_reads_back_as_one_until_everyone_may_write_in_it) {
    const fs::path history = root() / "Tavrine" / "history";
    ASSERT_TRUE(files().create_admin_only_folder(history.string()));
    EXPECT_TRUE(files().is_admin_only_folder(history.string()));
    EXPECT_TRUE(files().create_admin_only_folder(history.string())) << "made again: already protected";
    EXPECT_FALSE(files().is_admin_only_folder((root() / "missing").string()));
    write(history / "entry.txt");
    EXPECT_FALSE(files().is_admin_only_folder((history / "entry.txt").string())) << "a file is no folder";

    ASSERT_TRUE(test::grant_everyone_write(history.string()));
    EXPECT_FALSE(files().is_admin_only_folder(history.string()));
    EXPECT_TRUE(files().create_admin_only_folder(history.string())) << "its own folder is protected again";
    EXPECT_TRUE(files().is_admin_only_folder(history.string()));
}

TEST_F(RealFiles, a_pinned_folder_stays_where_it_is_until_let_go) {
    fs::create_directories(root() / "pinned" / "inner");
    write(root() / "plain.txt");
    std::error_code error;
    {
        write(root() / "pinned" / "b.txt", "123");
        const FolderPinPtr pin = files().pin_folder((root() / "pinned").string());
        ASSERT_TRUE(pin);
        // Listing through the pin gives what listing by path gives.
        const auto by_pin = pin->list();
        const auto by_path = files().list_folder((root() / "pinned").string());
        ASSERT_TRUE(by_pin.has_value());
        ASSERT_TRUE(by_path.has_value());
        const auto summary = [](const std::vector<FolderEntry>& entries) {
            std::vector<std::string> lines;
            for (const FolderEntry& e : entries) {
                lines.push_back(e.name + " " + std::to_string(e.attributes) + " " + std::to_string(e.size));
            }
            std::sort(lines.begin(), lines.end());
            return lines;
        };
        EXPECT_EQ(summary(*by_pin), summary(*by_path));
        EXPECT_EQ(by_pin->size(), 4u) << ". .. b.txt inner";
        fs::rename(root() / "pinned", root() / "moved", error);
        EXPECT_TRUE(error) << "renamed while pinned";
        EXPECT_TRUE(fs::is_directory(root() / "pinned" / "inner"));
        EXPECT_FALSE(files().pin_folder((root() / "plain.txt").string())) << "a file is no folder";
        EXPECT_FALSE(files().pin_folder((root() / "missing").string()));
    }
    fs::rename(root() / "pinned", root() / "moved", error);
    EXPECT_FALSE(error) << error.message();
}

TEST_F(RealFiles, drive_c_is_a_fixed_drive_and_a_missing_volume_has_no_known_seek_penalty) {
    EXPECT_NE(files().logical_drives() & (1u << 2), 0u);
    EXPECT_EQ(files().drive_type("C:\\"), DriveType::Fixed);
    EXPECT_EQ(files().seek_penalty('Q'), SeekPenalty::Unknown);
    files().seek_penalty('C'); // whatever Wine answers, the query returns
}

TEST_F(RealFiles, whole_file_writes_replace_the_target_or_leave_it_and_leave_no_temporary) {
    const fs::path folder = root() / "deep" / "er";
    ASSERT_TRUE(files().create_folders(folder.string()));
    ASSERT_TRUE(files().create_folders(folder.string())); // already there is fine
    const std::string target = (folder / "settings.cfg").string();

    ASSERT_TRUE(files().write_file_whole(target, "first\r\n"));
    ASSERT_TRUE(files().write_file_whole(target, std::string("se\0cond", 7)));
    EXPECT_EQ(files().read_file(target), std::string("se\0cond", 7));
    EXPECT_EQ(files().file_size(target), 7u);

    // A read-only target refuses the replace and keeps its content.
    ASSERT_TRUE(files().set_attributes(target, kFileAttributeReadOnly));
    EXPECT_FALSE(files().write_file_whole(target, "third"));
    EXPECT_EQ(files().read_file(target), std::string("se\0cond", 7));
    ASSERT_TRUE(files().set_attributes(target, kFileAttributeNormal));

    // Appends add at the end and create a missing file; the history lines rely on both.
    const std::string log = (folder / "history.txt").string();
    ASSERT_TRUE(files().append_file(log, "one\n"));
    ASSERT_TRUE(files().append_file(log, "two\n"));
    EXPECT_EQ(files().read_file(log), "one\ntwo\n");
    ASSERT_TRUE(files().delete_file(log));

    const std::string copy = (folder / "settings.bak").string();
    ASSERT_TRUE(files().copy_file(target, copy, true));
    EXPECT_FALSE(files().copy_file(target, copy, true));
    EXPECT_EQ(files().read_file(copy), files().read_file(target));

    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) {
        ++entries;
    }
    EXPECT_EQ(entries, 2u); // no temporary file left beside them
    EXPECT_FALSE(files().read_file((folder / "missing.cfg").string()).has_value());
    EXPECT_TRUE(files().roaming_folder().has_value());
    EXPECT_TRUE(files().temp_folder().has_value());
}

TEST_F(RealFiles, names_in_any_script_are_written_backed_up_listed_and_emptied) {
    // "Zoë 李明\🎮" holding "日本語.tmp", "Ünïcødé.log" and "🎮.dat".
    const std::u8string base = root().u8string();
    const std::string folder =
        std::string(base.begin(), base.end()) + "\\Zo\xC3\xAB \xE6\x9D\x8E\xE6\x98\x8E\\\xF0\x9F\x8E\xAE";
    const std::string names[] = {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.tmp",
                                 "\xC3\x9Cn\xC3\xAF"
                                 "c\xC3\xB8"
                                 "d\xC3\xA9.log",
                                 "\xF0\x9F\x8E\xAE.dat"};
    ASSERT_TRUE(files().create_folders(folder));
    for (const std::string& name : names) {
        ASSERT_TRUE(files().write_file_whole(folder + "\\" + name, name)) << name;
        EXPECT_EQ(files().read_file(folder + "\\" + name), name);
    }
    ASSERT_TRUE(files().copy_file(folder + "\\" + names[1], folder + "\\" + names[1] + ".bak", true));
    // Windows holds the names themselves, not a code page's "?" for them.
    EXPECT_TRUE(fs::exists(fs::path(root()) / fs::path(u8"Zo\u00EB \u674E\u660E") / fs::path(u8"\U0001F3AE") /
                           fs::path(u8"\u65E5\u672C\u8A9E.tmp")));
    const auto listed = files().list_folder(folder);
    ASSERT_TRUE(listed.has_value());
    for (const std::string& name : names) {
        EXPECT_TRUE(std::any_of(listed->begin(), listed->end(), [&](const FolderEntry& e) {
            return e.name == name;
        })) << name;
    }

    delete_temp_tree(folder);

    EXPECT_TRUE(
        fs::is_empty(fs::path(root()) / fs::path(u8"Zo\u00EB \u674E\u660E") / fs::path(u8"\U0001F3AE")));
}

// tests/wine/72-unicode.sh runs this in a prefix whose profile folder has a non-ASCII name.
TEST_F(RealFiles, the_settings_and_crosshair_files_are_written_and_read_back_in_the_user_profile) {
    const std::optional<std::string> profile = files().known_folder(KnownFolder::Profile);
    ASSERT_TRUE(profile.has_value());
    for (const SettingsFile file : {SettingsFile::Crosshair, SettingsFile::GpuFirst}) {
        const std::string path = AppDataFolder::write_path(file);
        EXPECT_EQ(path.rfind(*profile + "\\", 0), 0u) << path;
        const std::optional<std::string> before = files().read_file(path);
        ASSERT_TRUE(AppDataFolder::write(file, "written\nback\n")) << path;
        EXPECT_EQ(AppDataFolder::read(file), "written\nback\n") << path;
        if (before) {
            files().write_file_whole(path, *before);
        } else {
            files().delete_file(path);
        }
    }
}

TEST_F(RealFiles, known_folders_come_from_the_system_whatever_the_environment_says) {
    const std::string saved = std::getenv("LOCALAPPDATA") ? std::getenv("LOCALAPPDATA") : "";
    ASSERT_EQ(_putenv("LOCALAPPDATA=C:\\Planted"), 0);
    const auto local = files().known_folder(KnownFolder::LocalAppData);
    _putenv(("LOCALAPPDATA=" + saved).c_str());
    const auto windows = files().known_folder(KnownFolder::Windows);
    const auto system = files().known_folder(KnownFolder::System);
    const auto profile = files().known_folder(KnownFolder::Profile);
    ASSERT_TRUE(local && windows && system && profile);
    EXPECT_NE(*local, "C:\\Planted");
    EXPECT_EQ(_stricmp(system->c_str(), (*windows + "\\system32").c_str()), 0) << *system;
    EXPECT_EQ(_strnicmp(local->c_str(), (*profile + "\\").c_str(), profile->size() + 1), 0) << *local;
    for (const KnownFolder folder :
         {KnownFolder::ProgramData, KnownFolder::ProgramFiles, KnownFolder::RoamingAppData}) {
        const auto path = files().known_folder(folder);
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(path->substr(1, 2), ":\\");
        EXPECT_NE(path->back(), '\\');
    }
}

} // namespace
} // namespace tavrine
