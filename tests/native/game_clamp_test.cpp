// The game clamp, the demotion, the runtime holds and the working-set trim on the fake machine.

#include "engine/target_exe.h"
#include "platform/recording/recording_machine.h"
#include "process/game_clamp.h"
#include "process/holds.h"
#include "runs/modules.h"
#include "runs/runtime_holds.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavrine {
namespace {

constexpr const char* kCs2PerfOptions = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File "
                                        "Execution Options\\cs2.exe\\PerfOptions";

class GameClampTest : public test::EngineTest {
protected:
    GameClampTest() {
        fake.processes().set_current_process_id(kOwnPid);
        target_exe().set("");
        selected_title().store(kNoTitle);
    }
    ~GameClampTest() override {
        target_exe().set("");
        selected_title().store(kNoTitle);
    }

    void provide_optional_entries() {
        fake.security().provide_entry("kernel32.dll", "SetProcessInformation");
        fake.security().provide_entry("ntdll.dll", "NtSetInformationProcess");
        fake.security().provide_entry("ntdll.dll", "NtSetTimerResolution");
        fake.security().provide_entry("ntdll.dll", "RtlAdjustPrivilege");
        fake.security().provide_entry("ntdll.dll", "NtSetSystemInformation");
    }
    void add(std::uint32_t pid, const char* name, std::vector<std::uint32_t> threads = {}) {
        FakeProcess process{.pid = pid, .exe_name = name};
        for (std::uint32_t thread : threads) {
            process.threads.push_back({.thread_id = thread});
        }
        fake.processes().add(std::move(process));
    }
    std::uint32_t priority_of(std::uint32_t pid) { return fake.processes().get(pid)->priority_class; }
    int thread_priority(std::uint32_t thread_id) { return fake.processes().thread(thread_id)->priority; }

    static constexpr std::uint32_t kOwnPid = 7000;
};

// [SECTION] Clamp ------------------------------------------------------------------------------

TEST_F(GameClampTest, both_cs2_processes_in_any_case_are_clamped_with_their_lowest_id_threads) {
    provide_optional_entries();
    add(1200, "cs2.exe", {900, 120, 4500});
    add(1300, "CS2.EXE", {77, 78});
    target_exe().set("CS2.EXE");

    game_clamp_step();

    for (std::uint32_t pid : {1200u, 1300u}) {
        const FakeProcess game = *fake.processes().get(pid);
        EXPECT_EQ(game.priority_class, kAboveNormalPriorityClass) << "above normal, not high";
        ASSERT_TRUE(game.throttling.has_value());
        EXPECT_EQ(game.throttling->state_mask, 0u) << "throttling off";
        EXPECT_EQ(game.io_priority, 2u) << "the normal I/O hint";
        EXPECT_FALSE(game.boost_disabled) << "dynamic boosts stay on";
    }
    EXPECT_EQ(thread_priority(120), kThreadPriorityAboveNormal);
    EXPECT_EQ(thread_priority(900), kThreadPriorityNormal);
    EXPECT_EQ(thread_priority(4500), kThreadPriorityNormal);
    EXPECT_EQ(thread_priority(77), kThreadPriorityAboveNormal);
    EXPECT_EQ(thread_priority(78), kThreadPriorityNormal);
    EXPECT_TRUE(fake.system_state().windows_ghosting_disabled());
}

TEST_F(GameClampTest, a_name_that_merely_contains_the_target_is_left_alone) {
    add(1400, "xcs2.exe", {10});
    add(1401, "cs2.exe.old", {11});
    add(1402, "cs2.exe", {12});
    clamp_game("cs2.exe");
    EXPECT_EQ(priority_of(1400), kNormalPriorityClass);
    EXPECT_EQ(priority_of(1401), kNormalPriorityClass);
    EXPECT_EQ(priority_of(1402), kAboveNormalPriorityClass);
    EXPECT_EQ(thread_priority(10), kThreadPriorityNormal);
}

TEST_F(GameClampTest, clamping_ourselves_or_the_idle_process_changes_nothing) {
    add(0, "[System Process]", {0});
    add(kOwnPid, "tavrine-cli.exe", {1, 2});
    clamp_process(0);
    clamp_process(kOwnPid);
    EXPECT_TRUE(fake.journal().empty());
}

TEST_F(GameClampTest, without_target_or_valid_title_only_window_ghosting_is_switched_off) {
    add(1500, "cs2.exe", {5});
    for (std::int32_t title : {-1, 22}) {
        selected_title().store(title);
        game_clamp_step();
    }
    EXPECT_EQ(fake.journal(), (std::vector<std::string>{"WINDOW GHOSTING off", "WINDOW GHOSTING off"}));
}

TEST_F(GameClampTest, the_selected_title_is_the_fall_back_target) {
    add(1600, "cs2.exe", {5});
    selected_title().store(1); // Counter-Strike 2
    game_clamp_step();
    EXPECT_EQ(priority_of(1600), kAboveNormalPriorityClass);
}

TEST_F(GameClampTest, priority_overrides_are_deleted_first_even_with_no_game_running) {
    fake.registry().put_dword(kCs2PerfOptions, "CpuPriorityClass", 3);
    fake.registry().put_dword(kCs2PerfOptions, "IoPriority", 3);
    clamp_game("cs2.exe");
    EXPECT_FALSE(fake.registry().has_value(kCs2PerfOptions, "CpuPriorityClass"));
    EXPECT_FALSE(fake.registry().has_value(kCs2PerfOptions, "IoPriority"));
}

TEST_F(GameClampTest, a_process_that_refuses_the_open_still_gets_its_main_thread_raised) {
    FakeProcess guarded{
        .pid = 1700, .exe_name = "cs2.exe", .threads = {{.thread_id = 31}, {.thread_id = 30}}};
    guarded.denied_access = kProcessSetInformation;
    fake.processes().add(guarded);
    clamp_game("cs2.exe");
    EXPECT_EQ(priority_of(1700), kNormalPriorityClass);
    EXPECT_EQ(thread_priority(30), kThreadPriorityAboveNormal);
}

TEST_F(GameClampTest, missing_optional_entry_points_skip_only_their_own_action) {
    add(1800, "cs2.exe", {40});
    clamp_game("cs2.exe");
    const FakeProcess game = *fake.processes().get(1800);
    EXPECT_EQ(game.priority_class, kAboveNormalPriorityClass);
    EXPECT_FALSE(game.throttling.has_value());
    EXPECT_FALSE(game.io_priority.has_value());
    EXPECT_EQ(thread_priority(40), kThreadPriorityAboveNormal);
}

TEST_F(GameClampTest, demotion_forces_throttling_on_while_clamp_and_power_lock_switch_it_off) {
    provide_optional_entries();
    add(1900, "EpicGamesLauncher.exe");
    add(1901, "cs2.exe", {50});
    demote_process("epicgameslauncher.exe");
    clamp_game("cs2.exe");
    hold_power();

    const FakeProcess launcher = *fake.processes().get(1900);
    EXPECT_EQ(launcher.priority_class, kBelowNormalPriorityClass);
    EXPECT_EQ(launcher.throttling->state_mask, 1u);
    EXPECT_EQ(fake.processes().get(1901)->throttling->state_mask, 0u);
    EXPECT_EQ(fake.processes().get(kOwnPid)->throttling->state_mask, 0u);
    EXPECT_EQ(fake.system_state().execution_state(), 0x80000043u);
}

// [SECTION] Holds ---------------------------------------------------------------------------------

TEST_F(GameClampTest, timer_hold_asks_for_one_millisecond_both_ways) {
    hold_timer_resolution();
    EXPECT_EQ(fake.journal(), (std::vector<std::string>{"TIMER timeBeginPeriod 1 ms"}))
        << "without NtSetTimerResolution only timeBeginPeriod runs";
    provide_optional_entries();
    hold_timer_resolution();
    EXPECT_EQ(fake.journal().back(), "TIMER NtSetTimerResolution 10000 set");
}

TEST_F(GameClampTest, standby_purge_enables_both_privileges_then_flushes_and_purges) {
    provide_optional_entries();
    purge_standby_list();
    EXPECT_EQ(fake.journal(), (std::vector<std::string>{
                                  "PRIVILEGE 5 enable",
                                  "PRIVILEGE 13 enable",
                                  "SYSTEM INFORMATION class 80 value 4",
                                  "SYSTEM INFORMATION class 80 value 5",
                              }));
}

TEST_F(GameClampTest, trim_never_touches_protected_names_in_any_case) {
    add(2000, "SVCHOST.EXE");
    add(2001, "Discord.exe");
    add(2002, "notepad.exe");
    add(2003, "steam_helper.exe"); // guarded by the cull's patterns, but the trim uses the list only
    trim_working_sets();
    EXPECT_EQ(fake.processes().get(2000)->working_set_trims, 0);
    EXPECT_EQ(fake.processes().get(2001)->working_set_trims, 0);
    EXPECT_EQ(fake.processes().get(2002)->working_set_trims, 1);
    EXPECT_EQ(fake.processes().get(2003)->working_set_trims, 1);
    EXPECT_TRUE(fake.security().debug_privilege_enabled());
}

TEST_F(GameClampTest, runtime_holds_follow_the_flags_armed_at_that_moment) {
    provide_optional_entries();
    add(2100, "valorant-win64-shipping.exe", {60});
    add(2101, "notepad.exe");
    for (Module hold : {Module::Timer, Module::PowerLock, Module::Dwm, Module::Standby, Module::WorkingSet}) {
        module_arms().set(hold, false);
    }
    module_arms().set(Module::Dwm, true);
    module_arms().set(Module::GameClamp, true);

    apply_runtime_holds(read_runtime_holds(), "VALORANT-Win64-Shipping.exe");

    const std::vector<std::string> journal = fake.journal();
    EXPECT_EQ(journal.front(), "DWM MMCSS on");
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "TIMER timeBeginPeriod 1 ms"), 0);
    EXPECT_EQ(fake.processes().get(2101)->working_set_trims, 0);
    EXPECT_EQ(priority_of(2100), kAboveNormalPriorityClass);
}

TEST_F(GameClampTest, runtime_holds_without_a_name_clamp_the_selected_title) {
    add(2200, "r5apex.exe", {70});
    module_arms().set(Module::GameClamp, true);
    selected_title().store(4); // Apex Legends
    apply_runtime_holds(read_runtime_holds(), nullptr);
    EXPECT_EQ(priority_of(2200), kAboveNormalPriorityClass);
}

TEST_F(GameClampTest, a_preview_of_the_clamp_lists_the_changes_and_makes_none) {
    provide_optional_entries();
    add(2300, "cs2.exe", {90, 80});
    RecordingMachine recorder(fake);
    {
        ScopedMachine scope(recorder);
        clamp_game("cs2.exe");
    }
    const std::vector<std::string> lines = recorder.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "PRIORITY 2300 cs2.exe above normal"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "THREAD 80 of 2300 priority above normal"), lines.end());
    EXPECT_EQ(priority_of(2300), kNormalPriorityClass);
    EXPECT_EQ(thread_priority(80), kThreadPriorityNormal);
    EXPECT_TRUE(fake.journal().empty());
}

} // namespace
} // namespace tavrine
