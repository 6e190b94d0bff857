// Title presets, the seven-stage deploy and the compatibility layers on the fake machine.

#include "cli/cli.h"
#include "cli/cli_exit_codes.h"
#include "engine/history.h"
#include "engine/target_exe.h"
#include "engine/worker_gate.h"
#include "games/compat_layers.h"
#include "games/title_catalogue.h"
#include "runs/deploy.h"
#include "runs/modules.h"
#include "runs/pipeline.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>
#include <string>
#include <vector>

namespace tavrine {
namespace {

using enum Module;

constexpr std::int32_t kValorant = 0, kCounterStrike = 1, kFortnite = 2, kWarzone = 3, kLeague = 5,
                       kTarkov = 8, kTheFinals = 16, kRoblox = 19, kDeadlock = 21;

std::array<bool, kModuleCount> armed_after_preset(std::int32_t index) {
    arm_title_preset(index);
    std::array<bool, kModuleCount> flags{};
    for (std::size_t i = 0; i < kModuleCount; ++i) {
        flags[i] = module_arms().armed(static_cast<Module>(i));
    }
    return flags;
}

std::vector<std::int32_t> titles_arming(Module module) {
    std::vector<std::int32_t> titles;
    for (const GameTitle& title : title_catalogue()) {
        arm_title_preset(title.index);
        if (module_arms().armed(module)) {
            titles.push_back(title.index);
        }
    }
    return titles;
}

void set_every_flag(bool on) {
    for (std::size_t i = 0; i < kModuleCount; ++i) {
        module_arms().set(static_cast<Module>(i), on);
    }
}

// [SECTION] Presets

class TitlePresets : public test::EngineTest {};

TEST_F(TitlePresets, a_preset_decides_every_flag_but_restore_point_whatever_was_armed_before) {
    for (const GameTitle& title : title_catalogue()) {
        set_every_flag(true);
        const auto from_all = armed_after_preset(title.index);
        set_every_flag(false);
        const auto from_none = armed_after_preset(title.index);
        for (std::size_t i = 0; i < kModuleCount; ++i) {
            if (static_cast<Module>(i) == RestorePoint) {
                EXPECT_TRUE(from_all[i]) << title.name << ": restore point keeps its state";
                EXPECT_FALSE(from_none[i]) << title.name << ": restore point keeps its state";
            } else {
                EXPECT_EQ(from_all[i], from_none[i]) << title.name << ", module " << i;
            }
        }
        for (const Module base : {InputDelay, Nagle, GameClamp, Standby, CullBloatList}) {
            EXPECT_TRUE(from_none[static_cast<std::size_t>(base)]) << title.name;
        }
    }
}

TEST_F(TitlePresets, titles_that_share_a_stack_arm_the_same_flags) {
    EXPECT_EQ(armed_after_preset(kRoblox), armed_after_preset(kLeague));
    EXPECT_EQ(armed_after_preset(kDeadlock), armed_after_preset(kCounterStrike));
    EXPECT_NE(armed_after_preset(kFortnite), armed_after_preset(kCounterStrike));
}

TEST_F(TitlePresets, the_rare_flags_belong_to_their_few_titles_and_cleanup_extras_to_none) {
    EXPECT_EQ(titles_arming(CullStartup), std::vector<std::int32_t>{kFortnite});
    EXPECT_EQ(titles_arming(CullDeepSweep), std::vector<std::int32_t>{kFortnite});
    EXPECT_EQ(titles_arming(WiFi), (std::vector<std::int32_t>{kValorant, kFortnite}));
    EXPECT_EQ(titles_arming(Hibernate), (std::vector<std::int32_t>{kWarzone, kTarkov}));
    for (const Module never : {BrowserCache, WindowsPass, BloatApps, DriveTrim, WindowsUpdate, Telemetry,
                               WorkingSet, CullOffice}) {
        EXPECT_TRUE(titles_arming(never).empty()) << static_cast<int>(never);
    }
}

TEST_F(TitlePresets, a_preset_says_competitive_without_applying_it_and_names_the_title) {
    apply_profile_preset(ProfilePresetIndex::Casual);
    arm_title_preset(kValorant);
    EXPECT_EQ(profile_preset().load(), 1);
    EXPECT_FALSE(module_arms().armed(SysMain)); // "Competitive" itself would arm it
    EXPECT_EQ(deploy_status().status_text.get(), "Armed Valorant profile");
    EXPECT_EQ(selected_title().load(), kValorant);

    arm_title_preset(22);
    arm_title_preset(-1);
    EXPECT_EQ(deploy_status().status_text.get(), "Armed Valorant profile");
}

TEST_F(TitlePresets, picking_a_title_targets_its_executable) {
    pick_title(kTheFinals);
    EXPECT_EQ(selected_title().load(), kTheFinals);
    EXPECT_EQ(target_exe().get(), "Discovery.exe");
    EXPECT_EQ(deploy_status().status_text.get(), "Armed The Finals profile");
}

// [SECTION] Compatibility layers

constexpr const char* kDiscoveryPath = "C:\\Games\\The Finals\\Discovery.exe";

class Layers : public test::EngineTest {};

TEST_F(Layers, a_game_that_is_not_running_gets_one_value_under_its_bare_name) {
    set_fullscreen_layer("VALORANT-Win64-Shipping.exe");
    EXPECT_EQ(fake.registry().text(kLayersKey, "VALORANT-Win64-Shipping.exe"),
              "~ DISABLEDXMAXIMIZEDWINDOWEDMODE");
    EXPECT_EQ(fake.journal().size(), 1u);
}

TEST_F(Layers, a_running_game_gets_its_full_path_too_and_clearing_removes_both) {
    fake.processes().add({.pid = 4100, .exe_name = "Discovery.exe", .image_path = kDiscoveryPath});
    set_fullscreen_layer("discovery.exe");
    EXPECT_TRUE(fake.registry().has_value(kLayersKey, "discovery.exe"));
    EXPECT_EQ(fake.registry().text(kLayersKey, kDiscoveryPath), kFullscreenLayer);

    clear_fullscreen_layer("discovery.exe");
    EXPECT_FALSE(fake.registry().has_value(kLayersKey, "discovery.exe"));
    EXPECT_FALSE(fake.registry().has_value(kLayersKey, kDiscoveryPath));
    set_fullscreen_layer("");
    clear_fullscreen_layer("");
}

// [SECTION] The deploy

class Deploy : public test::EngineTest {
protected:
    // Runs the stages on the test's thread and notes where in the journal each one began.
    void deploy(std::int32_t index) {
        stage_starts_.clear();
        run_deploy(index, [this](std::int32_t stage, const char* label) {
            labels_.push_back(label);
            EXPECT_EQ(deploy_status().stage.load(), stage);
            stage_starts_.push_back(fake.journal().size());
        });
    }
    // The stage (1 to 7) during which the first journal line containing `text` was written.
    int stage_of(std::string_view text) {
        const std::vector<std::string> journal = fake.journal();
        for (std::size_t i = 0; i < journal.size(); ++i) {
            if (journal[i].find(text) != std::string::npos) {
                return static_cast<int>(std::upper_bound(stage_starts_.begin(), stage_starts_.end(), i) -
                                        stage_starts_.begin());
            }
        }
        return 0;
    }

    std::vector<std::string> labels_;
    std::vector<std::size_t> stage_starts_;
};

TEST_F(Deploy, stages_run_in_order_each_with_its_own_modules) {
    fake.processes().add({.pid = 900, .exe_name = "cs2.exe", .image_path = "C:\\cs2\\cs2.exe"});
    fake.services().add("SysMain", {.start_type = 2, .running = true});
    deploy(kCounterStrike);
    EXPECT_EQ(labels_, (std::vector<std::string>{"Arming profile...", "Input + power...", "Frames + GPU...",
                                                 "Netcode...", "Background cull...",
                                                 "Clamping game process...", "Done"}));
    EXPECT_EQ(stage_of("AppCompatFlags\\Layers cs2.exe"), 1);
    EXPECT_EQ(stage_of("SystemResponsiveness = 20"), 1); // "Audio stability"
    EXPECT_EQ(stage_of("powercfg"), 2);
    EXPECT_EQ(stage_of("HwSchMode"), 3);
    EXPECT_EQ(stage_of("SERVICE SysMain"), 3);
    EXPECT_EQ(stage_of("TcpAckFrequency"), 4);
    EXPECT_EQ(stage_of("ipconfig /flushdns"), 4);
    EXPECT_EQ(stage_of("PRIORITY 900 cs2.exe"), 6);
    EXPECT_EQ(deploy_status().status_text.get(), "Counter-Strike 2 optimised \xE2\x80\x94 launch the game");
    EXPECT_EQ(deploy_status().stage.load(), 7);
}

TEST_F(Deploy, the_four_epic_names_are_demoted_for_any_title) {
    const char* names[] = {"EpicGamesLauncher.exe", "EpicWebHelper.exe", "FortniteLauncher.exe",
                           "CrashReportClient.exe"};
    std::uint32_t pid = 500;
    for (const char* name : names) {
        fake.processes().add({.pid = pid++, .exe_name = name});
    }
    deploy(kValorant);
    for (std::uint32_t p = 500; p < pid; ++p) {
        EXPECT_EQ(fake.processes().get(p)->priority_class, kBelowNormalPriorityClass) << p;
    }
    EXPECT_EQ(stage_of("EpicGamesLauncher.exe"), 6);
}

TEST_F(Deploy, valorant_gets_the_layer_and_the_finals_loses_it_under_both_names) {
    deploy(kValorant);
    EXPECT_EQ(fake.registry().text(kLayersKey, "VALORANT-Win64-Shipping.exe"), kFullscreenLayer);

    fake.registry().put_string(kLayersKey, "Discovery.exe", kFullscreenLayer);
    fake.registry().put_string(kLayersKey, kDiscoveryPath, kFullscreenLayer);
    fake.processes().add({.pid = 4100, .exe_name = "Discovery.exe", .image_path = kDiscoveryPath});
    deploy(kTheFinals);
    EXPECT_FALSE(fake.registry().has_value(kLayersKey, "Discovery.exe"));
    EXPECT_FALSE(fake.registry().has_value(kLayersKey, kDiscoveryPath));
}

TEST_F(Deploy, cleanup_modules_armed_by_hand_are_never_applied) {
    module_arms().set(BloatApps, true);
    module_arms().set(WindowsPass, true);
    deploy(kLeague);
    EXPECT_FALSE(module_arms().armed(BloatApps));
    EXPECT_EQ(stage_of("Remove-AppxPackage"), 0);
}

// A quit during a deploy (Ctrl+C at the command line) lets the stage under way finish, starts no
// other, shows no result, and the deploy's history and exit code say where it stopped.
TEST_F(Deploy, a_quit_mid_deploy_stops_after_the_stage_under_way_and_the_history_says_so) {
    set_history_enabled(true);
    test::ObservedMachine observed(fake, [](const char*) { request_worker_stop(); });
    {
        const ScopedMachine scope(observed);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(run_cli({"apply", "deploy", std::to_string(kCounterStrike)}, out, err), kCliInterrupted);
        EXPECT_NE(out.str().find("Stopped after stage 1 of 7"), std::string::npos) << out.str();
    }
    set_history_enabled(false);
    EXPECT_EQ(run_status().completed_steps.load(), 1);
    EXPECT_FALSE(run_status().result_veil_shown.load());
    EXPECT_FALSE(run_status().deploy_in_progress.load());
    for (const std::string& line : fake.journal()) {
        EXPECT_EQ(line.find("powercfg"), std::string::npos) << "stage 2 ran: " << line;
    }
    const std::vector<HistoryEntry> entries = list_history();
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_TRUE(entries[0].file.has_value()) << entries[0].error;
    EXPECT_EQ(entries[0].file->stopped, "stopped after step 1 of 7");
}

TEST_F(Deploy, an_index_outside_the_catalogue_runs_no_stage) {
    deploy(22);
    EXPECT_TRUE(labels_.empty());
    EXPECT_TRUE(fake.journal().empty());
}

} // namespace
} // namespace tavrine
