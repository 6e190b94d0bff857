#include "cli/cli.h"
#include "runs/modules.h"
#include "runs/pipeline.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tavrine {
namespace {

using Presets = test::EngineTest;
using enum Module;

bool armed(Module module) {
    return module_arms().armed(module);
}

TEST_F(Presets, casual_leaves_standby_working_set_and_temp_files_off) {
    apply_profile_preset(ProfilePresetIndex::Casual);
    EXPECT_FALSE(armed(Standby));
    EXPECT_FALSE(armed(WorkingSet));
    EXPECT_FALSE(armed(TempFiles));
    EXPECT_FALSE(armed(Usb));
    EXPECT_FALSE(armed(CullStartup)); // set by the common rules, then cleared for Casual
    EXPECT_TRUE(armed(PowerPlan));
    EXPECT_TRUE(armed(CullBloatList));
    EXPECT_EQ(profile_preset().load(), 0);
    EXPECT_STREQ(profile_preset_name(profile_preset().load()), "Casual");
}

TEST_F(Presets, streamer_leaves_game_dvr_and_visual_fx_off_but_standby_on) {
    apply_profile_preset(ProfilePresetIndex::Casual); // start from the preset furthest away
    apply_profile_preset(ProfilePresetIndex::Streamer);
    EXPECT_FALSE(armed(GameDvr));
    EXPECT_FALSE(armed(VisualFx));
    EXPECT_TRUE(armed(Standby));
    EXPECT_TRUE(armed(TempFiles));
    EXPECT_FALSE(armed(SysMain));
    EXPECT_FALSE(armed(CullServices));
    EXPECT_TRUE(armed(CullStartup));
    EXPECT_STREQ(profile_preset_name(2), "Streamer");
}

TEST_F(Presets, competitive_turns_on_sysmain_flush_dns_and_telemetry) {
    apply_profile_preset(ProfilePresetIndex::Casual);
    apply_profile_preset(ProfilePresetIndex::Competitive);
    EXPECT_TRUE(armed(SysMain));
    EXPECT_TRUE(armed(FlushDns));
    EXPECT_TRUE(armed(Telemetry));
    EXPECT_TRUE(armed(WorkingSet));
    EXPECT_TRUE(armed(CullOffice));
    EXPECT_FALSE(armed(PrioritizeExe));
    EXPECT_FALSE(armed(Hibernate));
}

TEST_F(Presets, any_other_index_behaves_like_competitive_and_is_named_so) {
    apply_profile_preset(7);
    EXPECT_TRUE(armed(SysMain));
    EXPECT_TRUE(armed(Standby));
    EXPECT_EQ(profile_preset().load(), 7);
    EXPECT_STREQ(profile_preset_name(7), "Competitive");
    EXPECT_STREQ(profile_preset_name(-1), "Competitive");
}

TEST_F(Presets, no_preset_touches_restore_point) {
    for (bool restore_point : {true, false}) {
        for (int index : {0, 1, 2}) {
            module_arms().set(RestorePoint, restore_point);
            apply_profile_preset(index);
            EXPECT_EQ(armed(RestorePoint), restore_point) << "preset " << index;
        }
    }
}

TEST_F(Presets, a_preset_overrides_earlier_single_toggles) {
    module_arms().set(Hibernate, true);
    module_arms().set(MouseAccel, false);
    apply_profile_preset(ProfilePresetIndex::Streamer);
    EXPECT_FALSE(armed(Hibernate));
    EXPECT_TRUE(armed(MouseAccel));
}

TEST_F(Presets, a_fresh_command_line_plans_what_competitive_arms) {
    std::ostringstream fresh;
    std::ostringstream chosen;
    std::ostringstream err;
    module_arms().reset_to_initial(); // as a new process finds its flags
    ASSERT_EQ(run_cli({"plan", "all"}, fresh, err), 0) << err.str();
    test::reset_to_fresh_start();
    ASSERT_EQ(run_cli({"plan", "all", "--preset", "competitive"}, chosen, err), 0) << err.str();
    EXPECT_EQ(fresh.str(), chosen.str());
}

// [SECTION] armed_count

TEST_F(Presets, armed_count_leaves_out_audio_stability_and_matches_the_built_list) {
    for (int index : {0, 1, 2}) {
        apply_profile_preset(index);
        for (int path = 0; path <= 5; ++path) {
            const auto kind = static_cast<PathKind>(path);
            EXPECT_EQ(armed_count(kind) + 1, static_cast<int>(build_step_list(kind).size()))
                << "preset " << index << ", path " << path;
        }
    }
}

TEST_F(Presets, armed_count_counts_the_cull_once) {
    apply_profile_preset(ProfilePresetIndex::Competitive); // all eight options on
    EXPECT_EQ(armed_count(PathKind::CpuCull), 1);
    for (const ModuleInfo& info : module_table()) {
        if (is_cull_option(info.module)) {
            module_arms().set(info.module, false);
        }
    }
    EXPECT_EQ(armed_count(PathKind::CpuCull), 0);
    module_arms().set(CullDeepSweep, true);
    EXPECT_EQ(armed_count(PathKind::CpuCull), 1);
}

TEST_F(Presets, armed_count_of_all_is_the_sum_of_the_blocks) {
    apply_profile_preset(ProfilePresetIndex::Streamer);
    module_arms().set(RestorePoint, true);
    int sum = 0;
    for (PathKind block :
         {PathKind::Latency, PathKind::Frames, PathKind::Netcode, PathKind::Cleanup, PathKind::CpuCull}) {
        sum += armed_count(block);
    }
    EXPECT_EQ(armed_count(PathKind::All), sum);
    EXPECT_EQ(armed_count(PathKind::Latency), 10); // Streamer keeps every latency module
}

TEST(ModuleLookup, finds_steps_by_label_and_cull_options_by_page_row_in_any_case) {
    EXPECT_EQ(find_module("Mouse accel"), MouseAccel);
    EXPECT_EQ(find_module("mouse ACCEL"), MouseAccel);
    EXPECT_EQ(find_module("Office BG"), CullOffice);
    EXPECT_EQ(find_module("CPU cull"), std::nullopt); // the step has no flag of its own
    EXPECT_EQ(find_module(""), std::nullopt);
}

} // namespace
} // namespace tavrine
