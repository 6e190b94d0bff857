// The main screen's pages, drawn headless on the fake machine: navigation, the docks and their
// run buttons, the completion overlay, the Overview figures, the pickers and the Deploy page.

#include "app/pages/completion_overlay.h"
#include "app/pages/pages.h"
#include "app/pages/system_sampler.h"
#include "app/screens.h"
#include "app/shell_links.h"
#include "app_headless.h"
#include "engine/run_status.h"
#include "engine/target_exe.h"
#include "process/cull.h"
#include "process/running_exes.h"
#include "runs/module_state_board.h"
#include "runs/pipeline.h"
#include "tests/native/test_support.h"
#include "tweaks/cleanup.h"

#include <gtest/gtest.h>
#include <imgui_internal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

namespace tavrine {
namespace {

using test::HeadlessUi;

constexpr float kDt = 1.0f / 60.0f;

// Centres of the things the tests press, in window coordinates.
constexpr ImVec2 kOverviewNav(100, 104);
constexpr ImVec2 kLatencyNav(100, 200);
constexpr ImVec2 kFramesNav(100, 248);
constexpr ImVec2 kDeployNav(100, 466);
constexpr ImVec2 kDockButton(720, 647);
constexpr ImVec2 kRunOptimiser(350, 177); // Overview, no progress shown
constexpr ImVec2 kOpenSystemRestore(962, 204);
constexpr ImVec2 kCasualCard(390, 116);
constexpr ImVec2 kDone(610, 401);

bool overlay_shown() {
    ImGuiWindow* window = ImGui::FindWindowByName("##doneveil");
    return window != nullptr && window->Active;
}

// The main screen as the frame loop draws it, settled (no fade or page reveal in progress),
// with the worker held at its first command whenever a test starts a run.
class MainScreen : public test::EngineTest {
protected:
    MainScreen() : observed_(fake, [this](const char* what) { on_effect(what); }), scope_(observed_) {
        state.screen = Screen::Main;
        state.window_fade = 1.0f;
        state.content_alpha = 1.0f;
        state.page_reveal = 1.0f;
        links.draw_completion_overlay = draw_completion_overlay;
        ui.move_mouse(-50, -50);
    }
    ~MainScreen() override {
        gate_.open();
        EXPECT_TRUE(test::wait_for_worker());
    }

    void frame() {
        ui.bare_frame([&] { draw_root_window(state, links); });
    }
    // A click is a press on one frame and a release on the next, with the pointer already there.
    void click(ImVec2 at) {
        ui.move_mouse(at.x, at.y);
        frame();
        frame();
        ui.press();
        frame();
        ui.release();
        frame();
        ui.move_mouse(-50, -50);
    }
    void show_page(int page) {
        state.page = page;
        state.shown_page = page;
    }
    bool worker_parked() { return gate_.wait_until_reached(); }
    void release_worker() {
        gate_.open();
        ASSERT_TRUE(test::wait_for_worker());
    }

    HeadlessUi ui{kDt};
    ShellState state;
    ShellLinks links{};

private:
    void on_effect(const char* what) {
        if (std::string_view(what) == "run" && hold_first_command_.exchange(false)) {
            gate_.pass();
        }
    }

    test::Gate gate_;
    std::atomic<bool> hold_first_command_{true};
    test::ObservedMachine observed_;
    ScopedMachine scope_;
};

// The highest alpha of any vertex the page panel drew in the card colour this frame.
int panel_card_alpha() {
    const ImU32 card_rgb = IM_COL32(palette::kCard.r, palette::kCard.g, palette::kCard.b, 0);
    int highest = 0;
    for (const ImGuiWindow* window : ImGui::GetCurrentContext()->Windows) {
        if (!window->Active || std::string_view(window->Name).find("##panel") == std::string_view::npos) {
            continue;
        }
        for (const ImDrawVert& vertex : window->DrawList->VtxBuffer) {
            if ((vertex.col & ~IM_COL32_A_MASK) == card_rgb) {
                highest = std::max(highest, static_cast<int>(vertex.col >> IM_COL32_A_SHIFT));
            }
        }
    }
    return highest;
}

TEST_F(MainScreen, a_page_fading_in_fades_its_cards_with_its_text) {
    show_page(kFramesPage);
    frame();
    const int settled = panel_card_alpha();
    ASSERT_GT(settled, 200) << "the module rows are cards";

    state.page_reveal = 0.25f;
    frame();
    const int fading = panel_card_alpha();
    EXPECT_NEAR(fading, settled / 4, 2) << "settled " << settled;
}

TEST_F(MainScreen, clicking_a_nav_item_changes_the_page_and_restarts_its_reveal) {
    frame();
    click(kFramesNav);
    EXPECT_EQ(state.page, kFramesPage);
    EXPECT_EQ(state.shown_page, kFramesPage);
    EXPECT_EQ(state.page_reveal, 0.0f);

    state.page_reveal = 1.0f;
    click(kFramesNav); // the page already shown: nothing restarts
    EXPECT_EQ(state.page_reveal, 1.0f);
}

TEST_F(MainScreen, switching_pages_during_a_latency_run_leaves_the_frames_dock_idle_and_no_overlay) {
    show_page(kLatencyPage);
    frame();
    click(kDockButton);
    ASSERT_TRUE(worker_parked());
    EXPECT_TRUE(run_status().run_in_progress.load());
    EXPECT_STREQ(dock_view(PathKind::Latency, 0).button, "Optimising...");
    EXPECT_STREQ(dock_view(PathKind::Frames, 0).button, "Busy...");

    click(kFramesNav);
    EXPECT_EQ(state.shown_page, kFramesPage);
    EXPECT_FALSE(run_status().run_in_progress.load());
    const DockView frames = dock_view(PathKind::Frames, 0);
    EXPECT_FALSE(frames.run.has_value());
    EXPECT_EQ(frames.status_line, std::to_string(armed_count(PathKind::Frames)) + " armed");
    EXPECT_STREQ(frames.button, "Optimise frames");

    release_worker();
    for (int i = 0; i < 5; ++i) {
        frame();
    }
    EXPECT_FALSE(run_status().result_veil_shown.load());
    EXPECT_FALSE(overlay_shown());
    // Back on Latency the finished run is not picked up again either.
    click(kLatencyNav);
    frame();
    EXPECT_FALSE(overlay_shown());
    EXPECT_STREQ(dock_view(PathKind::Latency, 0).button, "Optimise latency");
}

TEST_F(MainScreen, a_path_page_reads_its_module_states_when_it_opens_and_again_after_its_run) {
    const auto notifications = [] {
        return (*module_states())[static_cast<std::size_t>(Module::Notifications)];
    };
    show_page(kLatencyPage);
    frame();
    ASSERT_TRUE(test::wait_for_worker());
    ASSERT_TRUE(notifications().has_value());
    EXPECT_EQ(notifications()->kind, ModuleStateKind::NotApplied);

    click(kDockButton);
    ASSERT_TRUE(worker_parked());
    release_worker();
    frame(); // the last step counted: the run is over
    frame(); // and the page asks again
    ASSERT_TRUE(test::wait_for_worker());
    EXPECT_EQ(notifications()->kind, ModuleStateKind::Applied);
}

TEST_F(MainScreen, the_overlay_appears_on_the_first_frame_after_the_last_step_is_counted) {
    show_page(kLatencyPage);
    RunStatus& status = run_status();
    status.last_path.store(PathKind::Latency);
    status.total_steps.store(3);
    status.completed_steps.store(2);
    status.current_label.store("Game clamp");
    status.run_in_progress.store(true);
    frame();
    EXPECT_FALSE(overlay_shown());
    EXPECT_EQ(dock_view(PathKind::Latency, 0).status_line, "Game clamp  \xC2\xB7  2 / 3");

    status.completed_steps.store(3); // the worker has not published "Done" yet
    frame();
    EXPECT_TRUE(overlay_shown());
    EXPECT_TRUE(status.result_veil_shown.load());
    EXPECT_FALSE(status.run_in_progress.load());
    EXPECT_EQ(completion_texts("").title, "Latency path applied");
    EXPECT_EQ(completion_texts("").detail, "Selected modules applied.");

    click(kDone);
    EXPECT_FALSE(status.result_veil_shown.load());
    frame();
    EXPECT_FALSE(overlay_shown());
    EXPECT_EQ(status.completed_steps.load(), 3); // the next run resets the counts, not Done
}

TEST_F(MainScreen, the_overview_and_deploy_pages_see_any_path_finish_but_a_dock_only_its_own) {
    RunStatus& status = run_status();
    auto finished_run_of = [&](PathKind path) {
        status.last_path.store(path);
        status.total_steps.store(2);
        status.completed_steps.store(2);
        status.run_in_progress.store(true);
        status.result_veil_shown.store(false);
    };
    for (const int page : {kOverviewPage, kDeployPage}) {
        show_page(page);
        finished_run_of(PathKind::Netcode);
        frame();
        EXPECT_TRUE(status.result_veil_shown.load()) << "page " << page;
        EXPECT_FALSE(status.run_in_progress.load()) << "page " << page;
    }
    show_page(kFramesPage);
    finished_run_of(PathKind::Netcode);
    frame();
    EXPECT_FALSE(status.result_veil_shown.load());
    EXPECT_TRUE(status.run_in_progress.load());
    EXPECT_STREQ(dock_view(PathKind::Frames, 0).button, "Busy...");
    status.run_in_progress.store(false);
}

TEST_F(MainScreen, a_run_button_pressed_while_busy_changes_nothing_in_run_status) {
    show_page(kLatencyPage);
    frame();
    click(kDockButton);
    ASSERT_TRUE(worker_parked());
    const test::StatusSnapshot running = test::StatusSnapshot::take();
    click(kDockButton); // now "Optimising..."
    EXPECT_EQ(test::StatusSnapshot::take(), running);

    // Leaving the page clears the run flag while the worker still runs; the Overview's button
    // then reads "Run optimiser" but the engine still refuses a second worker.
    click(kOverviewNav);
    const test::StatusSnapshot after_switch = test::StatusSnapshot::take();
    EXPECT_FALSE(after_switch.running);
    click(kRunOptimiser);
    EXPECT_EQ(test::StatusSnapshot::take(), after_switch);
    EXPECT_EQ(after_switch.last_path, PathKind::Latency);
    release_worker();
}

TEST_F(MainScreen, the_overview_counts_the_eight_cpu_modules_as_one) {
    ModuleArms& arms = module_arms();
    for (const ModuleInfo& info : module_table()) {
        arms.set(info.module, false);
    }
    EXPECT_EQ(overview_armed_figure(), 0);
    arms.set(Module::CullOffice, true);
    EXPECT_EQ(overview_armed_figure(), 1);
    for (const ModuleInfo& info : module_table()) {
        if (is_cull_option(info.module)) {
            arms.set(info.module, true);
        }
    }
    EXPECT_EQ(overview_armed_figure(), 1);
    arms.set(Module::MouseAccel, true);
    arms.set(Module::Hags, true);
    arms.set(Module::Nagle, true);
    arms.set(Module::Hibernate, true);
    EXPECT_EQ(overview_armed_figure(), 5);
}

class CleanupPage : public test::EngineTest {
protected:
    // Draws the page once; returns where the cursor ended.
    float draw() {
        float end = 0;
        ui.frame([&] {
            draw_cleanup_page(state);
            end = ImGui::GetCursorPosY();
        });
        return end;
    }

    HeadlessUi ui{kDt};
    ShellState state;
};

TEST_F(CleanupPage, the_drive_picker_shows_nothing_without_a_fixed_or_removable_drive) {
    fake.files().add_drive('D', {.type = DriveType::CdRom});
    fake.files().add_drive('Z', {.type = DriveType::Remote});
    module_arms().set(Module::DriveTrim, false);
    const float without_picker = draw();

    module_arms().set(Module::DriveTrim, true);
    target_drive().store('Q');
    EXPECT_EQ(draw(), without_picker);
    EXPECT_EQ(target_drive().load(), 'Q'); // the TRIM step keeps the letter it had

    fake.files().add_drive('E', {.type = DriveType::Removable});
    fake.files().add_drive('F', {.type = DriveType::Fixed});
    EXPECT_GT(draw(), without_picker);
    EXPECT_EQ(target_drive().load(), 'E');
    state.drive_index = 1;
    draw();
    EXPECT_EQ(target_drive().load(), 'F');
}

class ProcessList : public test::EngineTest {};

TEST_F(ProcessList, names_are_sorted_by_byte_once_each_without_unopenable_processes) {
    FakeProcesses& processes = fake.processes();
    processes.add({.pid = 10, .exe_name = "game.exe"});
    processes.add({.pid = 11, .exe_name = "Game.exe"});
    processes.add({.pid = 12, .exe_name = "game.exe"});
    processes.add({.pid = 13, .exe_name = "game.exe2"});
    processes.add({.pid = 14, .exe_name = "anticheat.exe", .denied_access = kProcessQueryAndRead});
    processes.add({.pid = 15, .exe_name = "Zed.exe"});
    EXPECT_EQ(running_exe_names(),
              (std::vector<std::string>{"Game.exe", "Zed.exe", "game.exe", "game.exe2"}));

    processes.fail_snapshots(true);
    EXPECT_TRUE(running_exe_names().empty());
}

class Sampler : public test::EngineTest {};

TEST_F(Sampler, samples_every_0_45_seconds_and_keeps_figures_when_a_read_fails) {
    FakeSystemState& system = fake.system_state();
    system.set_memory_status(MemoryStatus{.load_percent = 41});
    system.set_system_times(SystemTimes{.idle = 1000, .kernel = 2000, .user = 1000});
    SystemSampler sampler;
    advance_system_sampler(sampler, 0.25f);
    EXPECT_FALSE(sampler.has_times); // not 0.45 s yet
    advance_system_sampler(sampler, 0.25f);
    EXPECT_TRUE(sampler.has_times);
    EXPECT_EQ(sampler.memory_percent, 41.0f);

    // 300 of 1200 ticks idle (kernel time includes idle): 75 % busy.
    system.set_system_times(SystemTimes{.idle = 1300, .kernel = 2600, .user = 1600});
    advance_system_sampler(sampler, 0.45f);
    EXPECT_FLOAT_EQ(sampler.cpu_percent, 75.0f);

    // No time passed: the previous percent stays.
    advance_system_sampler(sampler, 0.45f);
    EXPECT_FLOAT_EQ(sampler.cpu_percent, 75.0f);

    // A failed GetSystemTimes leaves the memory figure alone too.
    system.set_system_times(std::nullopt);
    system.set_memory_status(MemoryStatus{.load_percent = 90});
    advance_system_sampler(sampler, 0.45f);
    EXPECT_EQ(sampler.memory_percent, 41.0f);
    EXPECT_FLOAT_EQ(sampler.cpu_percent, 75.0f);
}

TEST_F(MainScreen, deploy_page_applies_a_preset_and_opens_the_restore_tool_through_the_machine) {
    click(kDeployNav);
    state.page_reveal = 1.0f;
    click(kCasualCard);
    EXPECT_EQ(profile_preset().load(), 0);
    EXPECT_FALSE(module_arms().armed(Module::Usb));

    click(kOpenSystemRestore);
    const std::string opened = "OPEN C:\\Windows\\System32\\rstrui.exe";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    auto journal_has = [&] {
        const std::vector<std::string> journal = fake.journal();
        return std::find(journal.begin(), journal.end(), opened) != journal.end();
    };
    while (!journal_has() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(journal_has());
}

TEST(CompletionTexts, a_cpu_cull_that_killed_nothing_still_reports_its_counts) {
    test::reset_to_fresh_start();
    run_status().last_path.store(PathKind::CpuCull);
    cull_result().set({.before = 120, .after = 120, .killed = 0});
    EXPECT_EQ(completion_texts("").title, "CPU cull finished");
    EXPECT_EQ(completion_texts("").detail, "120 -> 120 processes  \xC2\xB7  0 killed");
    cull_result().set({.before = 0, .after = 120, .killed = 0});
    EXPECT_EQ(completion_texts("").detail, "Selected modules applied.");
    test::reset_to_fresh_start();
}

TEST(Footer, names_the_overlay_that_is_on) {
    EXPECT_STREQ(footer_hint(true, true), "F7 HUD on");
    EXPECT_STREQ(footer_hint(false, true), "F8 overlay on");
    EXPECT_STREQ(footer_hint(false, false), "F7 HUD  \xC2\xB7  F8 crosshair");
}

} // namespace
} // namespace tavrine
