// The hidden command runner against the real cmd.exe of the Wine prefix.
#include "engine/primitives.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace tavrine::test {
namespace {

namespace fs = std::filesystem;

class RealCommands : public RealMachineTest {};

std::string read_file(const fs::path& path) {
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text;
}

bool wait_for_file(const fs::path& path, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (fs::exists(path)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return fs::exists(path);
}

TEST_F(RealCommands, exit_code_one_fails_run_hidden_and_is_reported_by_run_hidden_exit_code) {
    EXPECT_FALSE(run_hidden("cmd /c exit 1"));
    EXPECT_EQ(run_hidden_exit_code("cmd /c exit 1"), 1u);
    EXPECT_TRUE(run_hidden("cmd /c exit 0"));
    EXPECT_EQ(run_hidden_exit_code("exit 42"), 42u);
}

TEST_F(RealCommands, a_command_that_already_starts_with_slash_c_runs_as_written) {
    EXPECT_EQ(run_hidden_exit_code("/C exit 7"), 7u);
    EXPECT_EQ(run_hidden_exit_code("/c exit 5"), 5u);
}

TEST_F(RealCommands, the_interpreter_performs_redirections_in_the_command) {
    ScratchFolder scratch;
    const fs::path out = scratch.path() / "echo.txt";
    const std::string command = "echo hidden runner>" + out.string() + " 2>&1";
    EXPECT_TRUE(run_hidden(command.c_str()));
    EXPECT_EQ(read_file(out).substr(0, 13), "hidden runner");
    EXPECT_TRUE(run_hidden("echo swallowed >nul 2>&1"));
}

TEST_F(RealCommands, empty_or_unknown_commands_fail_quietly) {
    EXPECT_FALSE(run_hidden(""));
    EXPECT_FALSE(run_hidden(nullptr));
    EXPECT_EQ(run_hidden_exit_code(""), 1u);
    EXPECT_FALSE(run_hidden("tavrine-no-such-program-anywhere >nul 2>&1"));
}

// Variables and the current folder belong to programs without administrator rights: a command
// sees neither, only the system's folders.
TEST_F(RealCommands, commands_start_in_the_system_folder_with_an_environment_of_their_own) {
    ASSERT_EQ(_putenv("TAVRINE_PLANTED=1"), 0);
    const std::uint32_t planted = run_hidden_exit_code("if defined TAVRINE_PLANTED (exit 9) else (exit 0)");
    _putenv("TAVRINE_PLANTED=");
    EXPECT_EQ(planted, 0u);
    EXPECT_EQ(run_hidden_exit_code("if /i \"%CD%\"==\"%SystemRoot%\\system32\" (exit 0) else (exit 8)"), 0u);
    EXPECT_EQ(run_hidden_exit_code(
                  "if /i \"%ComSpec%\"==\"%SystemRoot%\\system32\\cmd.exe\" (exit 0) else (exit 7)"),
              0u);
    EXPECT_EQ(
        run_hidden_exit_code("if \"%NoDefaultCurrentDirectoryInExePath%\"==\"1\" (exit 0) else (exit 6)"),
        0u);
}

TEST_F(RealCommands, a_command_that_outlives_the_wait_fails_and_keeps_running) {
    ScratchFolder scratch;
    const fs::path marker = scratch.path() / "slept.txt";
    const fs::path sleeper = fs::current_path() / "tavrine-test-sleeper.exe";
    ASSERT_TRUE(fs::exists(sleeper)) << "the sleeper is copied beside the runner: " << sleeper;
    const std::string command = sleeper.string() + " 3000 " + marker.string();

    const CommandOutcome outcome = current_machine().commands().run_hidden(command, 500);

    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(outcome.exit_code, kStillActive);
    EXPECT_FALSE(fs::exists(marker)) << "the runner waited for the command to finish";
    EXPECT_TRUE(wait_for_file(marker, std::chrono::seconds(30))) << "the command did not go on running";
}

} // namespace
} // namespace tavrine::test
