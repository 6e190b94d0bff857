// The pipeline with a real worker thread held inside a step, so "a run is in progress" is true
// for as long as the test needs. These tests are the ones ThreadSanitizer has to pass.

#include "engine/history.h"
#include "engine/run_status.h"
#include "engine/worker_gate.h"
#include "runs/pipeline.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace tavrine {
namespace {

struct LabelSeen {
    std::string label;
    int completed;
    int total;
};

class RunningPipeline : public test::EngineTest {
protected:
    RunningPipeline() : observed_(fake, [this](const char* what) { on_effect(what); }), scope_(observed_) {}

    // Starts `path` and returns once the worker is parked at the first command of
    // "Audio stability".
    void start_and_hold(PathKind path) {
        build_and_start_run(path);
        ASSERT_TRUE(gate_.wait_until_reached()) << "the worker never reached its first command";
    }

    void release() { gate_.open(); }

    void release_and_finish() {
        release();
        ASSERT_TRUE(test::wait_for_worker());
    }

    std::vector<LabelSeen> labels_seen() {
        std::lock_guard<std::mutex> lock(mutex_);
        return labels_seen_;
    }

    // Never leave a worker parked, nor let one outlive the observer it calls.
    ~RunningPipeline() override {
        gate_.open();
        EXPECT_TRUE(test::wait_for_worker());
    }

private:
    // Runs on the worker: notes each new label with the counts it sees, parks at the first command.
    void on_effect(const char* what) {
        const RunStatus& status = run_status();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const std::string label = status.current_label.load();
            if (labels_seen_.empty() || labels_seen_.back().label != label) {
                labels_seen_.push_back({label, status.completed_steps.load(), status.total_steps.load()});
            }
        }
        if (std::string_view(what) == "run" && hold_first_command_.exchange(false)) {
            gate_.pass();
        }
    }

    test::Gate gate_;
    std::atomic<bool> hold_first_command_{true};
    std::mutex mutex_;
    std::vector<LabelSeen> labels_seen_;
    test::ObservedMachine observed_;
    ScopedMachine scope_;
};

TEST_F(RunningPipeline, a_press_while_a_run_is_in_progress_changes_nothing) {
    start_and_hold(PathKind::Latency);
    const test::StatusSnapshot before = test::StatusSnapshot::take();
    EXPECT_TRUE(before.running);
    EXPECT_EQ(before.label, "Audio stability");
    for (int path = 0; path <= 5; ++path) {
        build_and_start_run(static_cast<PathKind>(path));
        EXPECT_EQ(test::StatusSnapshot::take(), before) << "press of path " << path;
    }
    release_and_finish();
    EXPECT_EQ(run_status().completed_steps.load(), 11);
    EXPECT_EQ(run_status().last_path.load(), PathKind::Latency);
}

TEST_F(RunningPipeline, clearing_run_in_progress_mid_run_still_keeps_a_second_worker_out) {
    start_and_hold(PathKind::Latency);
    // A page change does this while the worker is still inside a step.
    run_status().run_in_progress.store(false);
    run_status().result_veil_shown.store(false);
    const test::StatusSnapshot before = test::StatusSnapshot::take();
    build_and_start_run(PathKind::Frames);
    EXPECT_EQ(test::StatusSnapshot::take(), before);
    EXPECT_TRUE(pipeline_worker_active());
    release_and_finish();
    EXPECT_EQ(run_status().total_steps.load(), 11);
    EXPECT_EQ(run_status().completed_steps.load(), 11);

    // Once the worker has ended, the next press is admitted again.
    build_and_start_run(PathKind::Netcode);
    ASSERT_TRUE(test::wait_for_worker());
    EXPECT_EQ(run_status().last_path.load(), PathKind::Netcode);
}

TEST_F(RunningPipeline, labels_and_counts_advance_step_by_step_and_end_with_done) {
    run_status().completed_steps.store(5); // left from an earlier run: the builder resets it
    start_and_hold(PathKind::Latency);
    EXPECT_EQ(run_status().completed_steps.load(), 0);
    EXPECT_EQ(run_status().total_steps.load(), 11);
    release_and_finish();

    // The observer watches registry, service, command and system-parameter calls only; the
    // runtime holds ("Timer", "Power lock", "Game clamp") act through other concerns.
    const std::vector<std::string> expected = {"Audio stability", "Power plan", "Input delay",
                                               "Mouse accel",     "USB",        "Game Mode",
                                               "Notifications",   "Sticky keys"};
    const std::vector<LabelSeen> seen = labels_seen();
    ASSERT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].label, expected[i]);
        EXPECT_EQ(seen[i].completed, static_cast<int>(i)) << seen[i].label;
        EXPECT_EQ(seen[i].total, 11);
    }
    EXPECT_STREQ(run_status().current_label.load(), "Done");
    EXPECT_EQ(run_status().completed_steps.load(), run_status().total_steps.load());
}

TEST_F(RunningPipeline, flags_toggled_during_a_run_do_not_change_that_run) {
    module_arms().set(Module::MouseAccel, true);
    module_arms().set(Module::StickyKeys, false);
    start_and_hold(PathKind::Latency);
    const int total = run_status().total_steps.load();
    module_arms().set(Module::MouseAccel, false);
    module_arms().set(Module::StickyKeys, true);
    release_and_finish();
    EXPECT_EQ(run_status().total_steps.load(), total);
    EXPECT_EQ(run_status().completed_steps.load(), total);
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "0");
    EXPECT_FALSE(fake.registry().has_key("HKCU\\Control Panel\\Accessibility\\StickyKeys"));
}

TEST_F(RunningPipeline, the_main_thread_may_read_and_toggle_while_the_worker_runs) {
    start_and_hold(PathKind::All);
    release(); // the worker goes on while the loop below plays the main thread
    // What a frame does: read progress, flip flags, count armed modules.
    for (int frame = 0; frame < 200; ++frame) {
        const char* label = shown_label(run_status().current_label.load());
        EXPECT_NE(label[0], '\0');
        module_arms().set(Module::Hibernate, frame % 2 == 0);
        (void)armed_count(PathKind::All);
    }
    ASSERT_TRUE(test::wait_for_worker());
    EXPECT_EQ(run_status().completed_steps.load(), run_status().total_steps.load());
}

// A quit asks the worker to stop; the step under way finishes, nothing after it runs, and the
// history ends saying where the run stopped. The join returns only once the worker has ended,
// so nothing it uses (this fixture's machine included) is destroyed under it.
TEST_F(RunningPipeline, a_quit_mid_run_stops_after_the_step_under_way_and_the_history_says_so) {
    set_history_enabled(true);
    start_and_hold(PathKind::Latency);
    const int total = run_status().total_steps.load();
    request_worker_stop();
    release();
    ASSERT_TRUE(join_worker(std::chrono::seconds(30)));
    set_history_enabled(false);
    EXPECT_EQ(active_worker(), WorkerKind::None);
    EXPECT_EQ(run_status().completed_steps.load(), 1);
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), std::nullopt)
        << "no step after the first may run";
    const std::vector<HistoryEntry> entries = list_history();
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_TRUE(entries[0].file.has_value()) << entries[0].error;
    EXPECT_TRUE(entries[0].file->ended);
    EXPECT_EQ(entries[0].file->stopped, "stopped after step 1 of " + std::to_string(total));
}

} // namespace
} // namespace tavrine
