// The Frames path on the fake machine: the memory threshold, the fsutil check and the order of
// the power commands.

#include "test_support.h"
#include "tweaks/frames.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavrine {
namespace {

constexpr const char* kControl = "HKLM\\SYSTEM\\CurrentControlSet\\Control";
constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;

class FramesTest : public test::EngineTest {
protected:
    std::optional<std::uint32_t> threshold_after_ram_with(std::uint64_t bytes) {
        fake.registry().add_key(kControl);
        fake.system_state().set_memory_status(MemoryStatus{bytes, bytes / 2, 50});
        apply_ram();
        return fake.registry().dword(kControl, "SvcHostSplitThresholdInKB");
    }
    std::size_t count_commands(std::string_view prefix) {
        const std::vector<std::string> texts = fake.commands().texts();
        return static_cast<std::size_t>(std::count_if(
            texts.begin(), texts.end(), [&](const std::string& text) { return text.rfind(prefix, 0) == 0; }));
    }
};

TEST_F(FramesTest, svchost_split_threshold_is_the_memory_in_kib_but_never_below_four_gib) {
    EXPECT_EQ(threshold_after_ram_with(8 * kGiB), 8388608u);
    EXPECT_EQ(threshold_after_ram_with(2 * kGiB), 4194304u);
}

TEST_F(FramesTest, ram_without_memory_status_or_control_key_writes_no_threshold) {
    fake.system_state().set_memory_status(std::nullopt);
    fake.registry().add_key(kControl);
    apply_ram();
    EXPECT_FALSE(fake.registry().has_value(kControl, "SvcHostSplitThresholdInKB"));

    // A control key that refuses to open (the earlier writes create it on a bare machine).
    fake.registry().deny(kControl);
    fake.system_state().set_memory_status(MemoryStatus{16 * kGiB, 0, 0});
    apply_ram();
    EXPECT_FALSE(fake.registry().has_value(kControl, "SvcHostSplitThresholdInKB"));
    EXPECT_EQ(fake.registry().dword("HKLM\\Software\\Microsoft\\FTH", "Enabled"), 0u)
        << "everything before the threshold is still written";
}

TEST_F(FramesTest, fsutil_runs_only_when_its_file_exists) {
    apply_ram();
    EXPECT_EQ(count_commands("fsutil"), 0u);
    EXPECT_EQ(fake.registry().dword("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power",
                                    "HiberbootEnabled"),
              0u);

    fake.files().add("C:\\Windows\\System32\\fsutil.exe");
    apply_ram();
    EXPECT_EQ(count_commands("fsutil behavior set "), 4u);
}

TEST_F(FramesTest, cpu_schedule_activates_the_scheme_once_before_the_disk_timeout_pair) {
    apply_cpu_schedule();
    const std::vector<std::string> texts = fake.commands().texts();
    const auto activate = std::find(texts.begin(), texts.end(), "powercfg /setactive SCHEME_CURRENT");
    ASSERT_NE(activate, texts.end());
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "powercfg /setactive SCHEME_CURRENT"), 1);
    const auto disk = std::find_if(texts.begin(), texts.end(), [](const std::string& text) {
        return text.find("0012ee47-9041-4b5d-9b77-535fba8b1442") != std::string::npos;
    });
    ASSERT_NE(disk, texts.end());
    EXPECT_LT(activate, disk);
    EXPECT_EQ(texts.back().rfind("powercfg /setdcvalueindex", 0), 0u) << "the DC half of the pair ends it";
}

TEST_F(FramesTest, mmcss_leaves_the_games_task_as_audio_stability_does) {
    const char* games =
        "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile\\Tasks\\Games";
    fake.registry().put_dword(games, "Latency Sensitive", 1);
    apply_mmcss_games();
    EXPECT_EQ(fake.registry().text(games, "Scheduling Category"), "Medium");
    EXPECT_EQ(fake.registry().text(games, "SFIO Priority"), "Normal");
    EXPECT_FALSE(fake.registry().has_value(games, "Latency Sensitive"));
}

TEST_F(FramesTest, sysmain_on_a_machine_without_it_changes_nothing) {
    apply_sysmain_off();
    EXPECT_TRUE(fake.journal().empty());
    fake.services().add("SysMain", {.start_type = 2, .running = true});
    apply_sysmain_off();
    EXPECT_EQ(fake.services().get("SysMain")->start_type, 4u);
}

} // namespace
} // namespace tavrine
