#include "engine/run_status.h"
#include "runs/pipeline.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tavrine {
namespace {

using Pipeline = test::EngineTest;

void arm_everything(bool on) {
    for (const ModuleInfo& info : module_table()) {
        module_arms().set(info.module, on);
    }
}

std::vector<std::string> labels(const std::vector<ModuleStep>& steps) {
    std::vector<std::string> out;
    for (const ModuleStep& step : steps) {
        out.emplace_back(step.label != nullptr ? step.label : "(null)");
    }
    return out;
}

// Runs a path to the end on the worker, as a run button does.
void run_path(PathKind path) {
    build_and_start_run(path);
    ASSERT_TRUE(test::wait_for_worker());
}

// [SECTION] Building the list

TEST_F(Pipeline, everything_armed_on_path_all_gives_38_steps_checkpoint_first_then_block_order) {
    arm_everything(true);
    const std::vector<std::string> expected = {
        "Restore point", "Audio stability",
        // Latency
        "Power plan", "Input delay", "Mouse accel", "USB", "Game Mode", "Notifications", "Sticky keys",
        "Timer", "Power lock", "Game clamp",
        // Frames
        "Game DVR", "CPU schedule", "GPU profile", "RAM", "MMCSS", "Fullscreen", "HAGS", "Visual FX",
        "SysMain", "DWM", "Standby", "Working set",
        // Netcode
        "Network stack", "Wi-Fi", "Flush DNS", "Prioritize exe", "Nagle",
        // Cleanup
        "Temp files", "Browser cache", "Windows pass", "Bloat apps", "Drive TRIM", "Windows Update",
        "Telemetry", "Hibernate",
        // CPU cull
        "CPU cull"};
    EXPECT_EQ(labels(build_step_list(PathKind::All)), expected);
}

TEST_F(Pipeline, audio_stability_opens_every_path_even_with_nothing_armed) {
    arm_everything(false);
    for (int path = 0; path <= 5; ++path) {
        const auto steps = build_step_list(static_cast<PathKind>(path));
        ASSERT_EQ(steps.size(), 1u) << "path " << path;
        EXPECT_STREQ(steps[0].label, "Audio stability");
    }
    arm_everything(true);
    module_arms().set(Module::RestorePoint, false);
    for (int path = 0; path <= 5; ++path) {
        EXPECT_STREQ(build_step_list(static_cast<PathKind>(path)).front().label, "Audio stability");
    }
}

TEST_F(Pipeline, an_armed_restore_point_is_made_before_any_change_of_the_run) {
    arm_everything(false);
    module_arms().set(Module::RestorePoint, true);
    module_arms().set(Module::MouseAccel, true);
    run_path(PathKind::All);
    const std::vector<std::string> journal = fake.journal();
    const auto first = [&](const std::string& prefix) {
        for (std::size_t i = 0; i < journal.size(); ++i) {
            if (journal[i].rfind(prefix, 0) == 0) {
                return i;
            }
        }
        return journal.size();
    };
    const std::size_t checkpoint =
        first("RUN powershell -ExecutionPolicy Unrestricted -NoProfile Checkpoint-Computer");
    ASSERT_LT(checkpoint, journal.size());
    // The restore point's own registry preparation comes first; every other change after it.
    for (std::size_t i = 0; i < checkpoint; ++i) {
        EXPECT_TRUE(journal[i].find("SystemRestore") != std::string::npos ||
                    journal[i].find("Enable-ComputerRestore") != std::string::npos)
            << journal[i];
    }
    EXPECT_LT(checkpoint, first("SET SZ HKCU\\Control Panel\\Mouse"));
}

TEST_F(Pipeline, each_path_takes_only_its_own_block) {
    arm_everything(true);
    const auto latency = labels(build_step_list(PathKind::Latency));
    EXPECT_EQ(latency.size(), 11u);
    EXPECT_EQ(latency.back(), "Game clamp");
    const auto frames = labels(build_step_list(PathKind::Frames));
    EXPECT_EQ(frames.size(), 13u);
    EXPECT_EQ(frames[1], "Game DVR");
    EXPECT_EQ(labels(build_step_list(PathKind::Netcode)).size(), 6u);
    EXPECT_EQ(labels(build_step_list(PathKind::Cleanup)).size(), 10u);
    EXPECT_EQ(labels(build_step_list(PathKind::CpuCull)),
              (std::vector<std::string>{"Audio stability", "CPU cull"}));
}

TEST_F(Pipeline, cpu_cull_path_with_all_eight_options_off_runs_only_audio_stability) {
    for (const ModuleInfo& info : module_table()) {
        if (is_cull_option(info.module)) {
            module_arms().set(info.module, false);
        }
    }
    run_path(PathKind::CpuCull);
    EXPECT_EQ(run_status().total_steps.load(), 1);
    EXPECT_EQ(run_status().completed_steps.load(), 1);
    EXPECT_STREQ(result_text(), "CPU cull finished");
}

TEST_F(Pipeline, one_cull_option_alone_arms_the_cull_step) {
    for (const ModuleInfo& info : module_table()) {
        if (is_cull_option(info.module)) {
            module_arms().set(info.module, false);
        }
    }
    module_arms().set(Module::CullCloudSync, true);
    EXPECT_EQ(labels(build_step_list(PathKind::CpuCull)),
              (std::vector<std::string>{"Audio stability", "CPU cull"}));
}

TEST_F(Pipeline, latency_path_with_every_latency_flag_off_still_runs_and_names_itself) {
    for (const ModuleInfo& info : module_table()) {
        if (info.block == PathKind::Latency) {
            module_arms().set(info.module, false);
        }
    }
    run_path(PathKind::Latency);
    EXPECT_EQ(run_status().total_steps.load(), 1);
    EXPECT_EQ(run_status().completed_steps.load(), 1);
    EXPECT_STREQ(result_text(), "Latency path applied");
}

TEST_F(Pipeline, an_unknown_path_value_runs_only_audio_stability_and_finishes_as_the_optimiser) {
    arm_everything(true);
    for (int value : {6, -1, 42}) {
        const auto path = static_cast<PathKind>(value);
        EXPECT_EQ(labels(build_step_list(path)), (std::vector<std::string>{"Audio stability"}));
        run_path(path);
        EXPECT_EQ(run_status().total_steps.load(), 1);
        EXPECT_STREQ(result_text(), "Optimiser finished");
        run_status().run_in_progress.store(false); // as the page does on completion
    }
}

TEST_F(Pipeline, the_completion_text_names_the_path_that_ran_last) {
    // Each path's text is its own, so a run of one never reports another.
    std::set<std::string> texts;
    for (const PathKind path : {PathKind::All, PathKind::Latency, PathKind::Frames, PathKind::Netcode,
                                PathKind::Cleanup, PathKind::CpuCull}) {
        run_status().last_path.store(path);
        texts.insert(result_text());
    }
    EXPECT_EQ(texts.size(), 6u);
    run_path(PathKind::Latency);
    show_run_result(); // the window's overlay, then its "Done"
    dismiss_run_result();
    run_path(PathKind::Frames);
    const std::string after_frames = result_text();
    run_status().last_path.store(PathKind::Latency);
    EXPECT_NE(after_frames, result_text());
    EXPECT_NE(after_frames.find("Frame"), std::string::npos) << after_frames;
}

// [SECTION] The worker

TEST_F(Pipeline, worker_publishes_each_label_while_its_step_runs_and_done_at_the_end) {
    std::vector<std::string> seen;
    const auto record = [&seen] {
        seen.emplace_back(run_status().current_label.load());
    };
    std::vector<ModuleStep> steps;
    steps.push_back({"First", record});
    steps.push_back({"", record});
    steps.push_back({nullptr, record});
    steps.push_back({"Last", record});
    run_steps(std::move(steps));
    EXPECT_EQ(seen, (std::vector<std::string>{"First", "Working", "Working", "Last"}));
    EXPECT_STREQ(run_status().current_label.load(), "Done");
    EXPECT_EQ(run_status().completed_steps.load(), 4);
}

TEST_F(Pipeline, shown_label_never_comes_out_empty) {
    EXPECT_STREQ(shown_label(nullptr), "Working");
    EXPECT_STREQ(shown_label(""), "Working");
    EXPECT_STREQ(shown_label("USB"), "USB");
}

TEST_F(Pipeline, a_step_without_a_job_is_still_counted) {
    std::vector<ModuleStep> steps;
    steps.push_back({"Empty", nullptr});
    run_steps(std::move(steps));
    EXPECT_EQ(run_status().completed_steps.load(), 1);
}

TEST_F(Pipeline, a_finished_run_counts_through_every_step_and_ends_with_done) {
    arm_everything(true);
    run_status().completed_steps.store(99); // left over from an earlier run
    run_path(PathKind::All);
    RunStatus& status = run_status();
    EXPECT_EQ(status.total_steps.load(), 38);
    EXPECT_EQ(status.completed_steps.load(), status.total_steps.load());
    EXPECT_STREQ(status.current_label.load(), "Done");
    EXPECT_TRUE(status.run_in_progress.load()); // only the page clears it, on seeing the count
    EXPECT_EQ(status.last_path.load(), PathKind::All);
    EXPECT_FALSE(pipeline_worker_active());
}

TEST_F(Pipeline, starting_a_run_clears_the_overlay_and_the_status_line) {
    run_status().result_veil_shown.store(true);
    run_status().status_message.set("old news");
    run_path(PathKind::Netcode);
    EXPECT_FALSE(run_status().result_veil_shown.load());
    EXPECT_EQ(run_status().status_message.get(), "");
    EXPECT_EQ(run_status().last_path.load(), PathKind::Netcode);
}

TEST_F(Pipeline, the_status_line_keeps_at_most_191_bytes) {
    run_status().status_message.set(std::string(300, 'x'));
    EXPECT_EQ(run_status().status_message.get(), std::string(191, 'x'));
}

TEST_F(Pipeline, a_deploy_in_progress_refuses_a_run) {
    run_status().deploy_in_progress.store(true);
    build_and_start_run(PathKind::Latency);
    EXPECT_FALSE(pipeline_worker_active());
    EXPECT_FALSE(run_status().run_in_progress.load());
    EXPECT_EQ(run_status().total_steps.load(), 0);
    EXPECT_TRUE(fake.journal().empty());
}

} // namespace
} // namespace tavrine
