// One worker at a time: a path run, a restore point and (later) a deploy each hold the worker
// gate until their thread ends, and every other start is refused meanwhile, even after a page
// change has cleared run_in_progress.

#include "engine/run_status.h"
#include "engine/worker_gate.h"
#include "runs/deploy.h"
#include "runs/pipeline.h"
#include "runs/restore_point_job.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace tavrine {
namespace {

bool ran_command_containing(FakeMachine& fake, std::string_view text) {
    const std::vector<std::string> commands = fake.commands().texts();
    return std::any_of(commands.begin(), commands.end(),
                       [&](const std::string& command) { return command.find(text) != std::string::npos; });
}

// Parks whichever worker reaches its first command there until the test opens the gate.
class HeldWorker : public test::EngineTest {
protected:
    HeldWorker()
        : observed_(fake,
                    [this](const char* what) {
                        if (std::string_view(what) == "run" && hold_.exchange(false)) {
                            gate_.pass();
                        }
                    }),
          scope_(observed_) {}
    ~HeldWorker() override {
        gate_.open();
        EXPECT_TRUE(test::wait_for_worker());
    }

    void wait_until_parked() { ASSERT_TRUE(gate_.wait_until_reached()) << "the worker never ran a command"; }
    void release_and_finish() {
        gate_.open();
        ASSERT_TRUE(test::wait_for_worker());
    }

private:
    std::atomic<bool> hold_{true};
    test::Gate gate_;
    test::ObservedMachine observed_;
    ScopedMachine scope_;
};

TEST_F(HeldWorker, a_restore_point_is_refused_while_a_path_run_worker_is_alive) {
    build_and_start_run(PathKind::Latency);
    wait_until_parked();
    run_status().run_in_progress.store(false); // a page change does this mid-run

    EXPECT_FALSE(start_restore_point());
    EXPECT_EQ(active_worker(), WorkerKind::Pipeline);
    release_and_finish();
    EXPECT_FALSE(ran_command_containing(fake, "Checkpoint-Computer"));
    EXPECT_NE(run_status().status_message.get().find("No restore point"), std::string::npos);

    // With the worker gone the same press is admitted.
    EXPECT_TRUE(start_restore_point());
    ASSERT_TRUE(test::wait_for_worker());
    EXPECT_TRUE(ran_command_containing(fake, "Checkpoint-Computer"));
}

TEST_F(HeldWorker, a_path_run_is_refused_while_a_restore_point_is_being_made) {
    ASSERT_TRUE(start_restore_point());
    wait_until_parked();
    const test::StatusSnapshot before = test::StatusSnapshot::take();
    build_and_start_run(PathKind::All);
    EXPECT_EQ(test::StatusSnapshot::take(), before);
    EXPECT_EQ(active_worker(), WorkerKind::RestorePoint);
    release_and_finish();
    EXPECT_EQ(fake.commands().texts().size(), 2u) << "only the restore point's two commands ran";
}

TEST_F(HeldWorker, a_deploy_is_refused_while_a_path_run_worker_outlives_run_in_progress) {
    build_and_start_run(PathKind::Frames);
    wait_until_parked();
    run_status().run_in_progress.store(false); // a page change
    const test::StatusSnapshot before = test::StatusSnapshot::take();
    EXPECT_FALSE(start_deploy(0));
    EXPECT_EQ(test::StatusSnapshot::take(), before);
    EXPECT_EQ(deploy_status().stage.load(), 0);
    release_and_finish();
    EXPECT_EQ(run_status().last_path.load(), PathKind::Frames);
}

TEST_F(HeldWorker, a_path_run_is_refused_while_a_deploy_thread_is_alive_and_the_deploy_ends_shown) {
    ASSERT_TRUE(start_deploy(5));
    wait_until_parked();
    EXPECT_EQ(active_worker(), WorkerKind::Deploy);
    EXPECT_FALSE(start_deploy(5));
    run_status().run_in_progress.store(false);
    run_status().deploy_in_progress.store(false); // "Done" on an old overlay clears both
    build_and_start_run(PathKind::Latency);
    EXPECT_NE(run_status().last_path.load(), PathKind::Latency);
    release_and_finish();

    const test::StatusSnapshot after = test::StatusSnapshot::take();
    EXPECT_EQ(after.completed, 7);
    EXPECT_EQ(after.total, 7);
    EXPECT_FALSE(after.running);
    EXPECT_FALSE(after.deploying);
    EXPECT_TRUE(after.veil);
    EXPECT_EQ(deploy_status().stage.load(), 7);
    EXPECT_EQ(deploy_status().status_text.get(), "League of Legends optimised \xE2\x80\x94 launch the game");
}

TEST(WorkerGate, a_ticket_gives_the_gate_back_when_it_is_dropped) {
    {
        WorkerTicket first = admit_worker(WorkerKind::Deploy);
        ASSERT_TRUE(first);
        EXPECT_FALSE(admit_worker(WorkerKind::GpuTune));
        WorkerTicket moved = std::move(first);
        EXPECT_EQ(active_worker(), WorkerKind::Deploy);
    }
    EXPECT_EQ(active_worker(), WorkerKind::None);
    EXPECT_FALSE(start_worker(WorkerTicket{}, [] {}));
}

} // namespace
} // namespace tavrine
