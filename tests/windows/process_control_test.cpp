// The game clamp and the kill against real processes in the Wine prefix: a copy of the sleeper
// under a name of its own is started, clamped, read back and ended.

#include "platform/processes.h"
#include "platform/win32/win32_machine.h"
#include "process/game_clamp.h"
#include "process/kill.h"
#include "process/process_image_path.h"
#include "tweaks/netcode.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <thread>

namespace tavrine {
namespace {

class ProcessControlTest : public test::RealMachineTest {
protected:
    // Ends `pid` as the cull does, from what a fresh snapshot lists for it.
    static bool ended(std::uint32_t pid, const char* rule = nullptr) {
        ProcessEntry listed{.pid = pid};
        for (const ProcessEntry& entry : win32_machine().processes().list_processes()) {
            if (entry.pid == pid) {
                listed = entry;
            }
        }
        return kill_process(listed, rule) == KillOutcome::Ended;
    }

    // Starts `name` (a copy of the sleeper) without waiting for it; its pid once it shows up.
    std::optional<std::uint32_t> start_idle_process(const std::string& name) {
        const std::filesystem::path exe = scratch_.path() / name;
        std::filesystem::copy_file(std::filesystem::current_path() / "tavrine-test-sleeper.exe", exe);
        const std::string command = "start \"\" /b \"" + exe.string() + "\" 60000 \"" +
                                    (scratch_.path() / (name + ".marker")).string() + "\"";
        std::system(command.c_str());
        for (int attempt = 0; attempt < 100; ++attempt) {
            for (const ProcessEntry& entry : win32_machine().processes().list_processes()) {
                if (entry.exe_name == name) {
                    return entry.pid;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return std::nullopt;
    }

    test::ScratchFolder scratch_;
};

TEST_F(ProcessControlTest, clamp_raises_a_running_process_to_above_normal_and_kill_ends_it) {
    const std::string name = "tavrine-clamp-" + test::unique_run_name() + ".exe";
    const std::optional<std::uint32_t> pid = start_idle_process(name);
    ASSERT_TRUE(pid.has_value()) << name << " did not start";

    clamp_game(name.c_str());

    Processes& processes = win32_machine().processes();
    {
        ProcessHandlePtr process = processes.open_process(*pid, kProcessQueryLimitedInformation);
        ASSERT_TRUE(process);
        EXPECT_EQ(process->priority_class(), kAboveNormalPriorityClass);
    }
    std::optional<std::uint32_t> main_thread;
    for (const ThreadEntry& thread : processes.list_threads()) {
        if (thread.owner_pid == *pid && (!main_thread || thread.thread_id < *main_thread)) {
            main_thread = thread.thread_id;
        }
    }
    ASSERT_TRUE(main_thread.has_value());
    {
        ThreadHandlePtr thread = processes.open_thread(*main_thread, kThreadQueryInformation);
        ASSERT_TRUE(thread);
        EXPECT_EQ(thread->priority(), kThreadPriorityAboveNormal) << "the lowest-id thread is raised";
    }

    EXPECT_TRUE(ended(*pid, "test"));
    EXPECT_FALSE(processes.is_running(*pid));
}

TEST_F(ProcessControlTest, a_running_process_gives_its_full_image_path_by_file_name_in_any_case) {
    const std::string name = "tavrine-path-" + test::unique_run_name() + ".exe";
    const std::optional<std::uint32_t> pid = start_idle_process(name);
    ASSERT_TRUE(pid.has_value()) << name << " did not start";

    std::string asked = name;
    for (char& c : asked) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const std::string path = find_process_image_path(asked);
    const std::filesystem::path expected = scratch_.path() / name;
    std::error_code error;
    EXPECT_TRUE(std::filesystem::equivalent(path, expected, error))
        << path << " is not " << expected.string();
    EXPECT_EQ(path.substr(path.find_last_of('\\') + 1), name);
    EXPECT_EQ(find_process_image_path("tavrine-nothing-" + test::unique_run_name() + ".exe"), "");

    EXPECT_TRUE(ended(*pid, "test"));
}

TEST_F(ProcessControlTest, demotion_lowers_the_priority_class_to_below_normal) {
    const std::string name = "tavrine-demote-" + test::unique_run_name() + ".exe";
    const std::optional<std::uint32_t> pid = start_idle_process(name);
    ASSERT_TRUE(pid.has_value()) << name << " did not start";

    demote_process(name.c_str());

    ProcessHandlePtr process =
        win32_machine().processes().open_process(*pid, kProcessQueryLimitedInformation);
    ASSERT_TRUE(process);
    EXPECT_EQ(process->priority_class(), kBelowNormalPriorityClass);
    process.reset();
    EXPECT_TRUE(ended(*pid));
}

TEST_F(ProcessControlTest, own_process_and_system_ids_are_refused_by_the_real_kill) {
    const std::uint32_t own = win32_machine().processes().current_process_id();
    EXPECT_FALSE(ended(own));
    EXPECT_FALSE(ended(0));
    EXPECT_FALSE(ended(4));
    EXPECT_TRUE(win32_machine().processes().is_running(own));
}

} // namespace
} // namespace tavrine
