#include "cli/cli.h"
#include "engine/run_status.h"
#include "engine/target_exe.h"
#include "runs/pipeline.h"
#include "tests/native/cli_test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tavrine {
namespace {

class Cli : public test::CliTest {
protected:
    std::vector<std::string> out_lines() const {
        std::vector<std::string> lines;
        std::istringstream stream(out.str());
        for (std::string line; std::getline(stream, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    std::size_t line_index(const std::string& line) const {
        const auto lines = out_lines();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i] == line) {
                return i;
            }
        }
        ADD_FAILURE() << "no line \"" << line << "\" in:\n" << out.str();
        return lines.size();
    }
    // A step heading: "# [n/N] label", then what the step would still change.
    std::size_t heading_index(const std::string& heading) const {
        const auto lines = out_lines();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].starts_with(heading + "  (") && lines[i].ends_with(" to change)")) {
                return i;
            }
        }
        ADD_FAILURE() << "no heading \"" << heading << "\" in:\n" << out.str();
        return lines.size();
    }
    bool has_heading(const std::string& heading) const {
        for (const std::string& line : out_lines()) {
            if (line.starts_with(heading + "  (")) {
                return true;
            }
        }
        return false;
    }
    bool has_line(const std::string& line) const {
        for (const std::string& candidate : out_lines()) {
            if (candidate == line) {
                return true;
            }
        }
        return false;
    }
};

// [SECTION] plan

TEST_F(Cli, plan_latency_prints_the_steps_in_order_and_changes_nothing) {
    ASSERT_EQ(run({"plan", "latency"}), 0) << err.str();
    const std::vector<std::string> steps = {
        "Audio stability", "Power plan",  "Input delay", "Mouse accel", "USB",       "Game Mode",
        "Notifications",   "Sticky keys", "Timer",       "Power lock",  "Game clamp"};
    std::size_t previous = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::string heading = "# [" + std::to_string(i + 1) + "/11] " + steps[i];
        const std::size_t at = heading_index(heading);
        EXPECT_GE(at, previous) << heading;
        previous = at;
    }
    EXPECT_TRUE(has_line("SET SZ HKCU\\Control Panel\\Mouse MouseSpeed = \"0\""));
    EXPECT_TRUE(has_line("SET DWORD HKLM\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl "
                         "Win32PrioritySeparation = 2"));
    EXPECT_TRUE(has_line("RUN powercfg /setactive SCHEME_CURRENT"));
    EXPECT_TRUE(fake.journal().empty());
    EXPECT_EQ(fake.registry().key_count(), 0u);
    EXPECT_TRUE(fake.commands().log().empty());
    EXPECT_FALSE(pipeline_worker_active());
}

TEST_F(Cli, plan_shows_both_branches_of_the_power_scheme_fall_back_with_a_note) {
    ASSERT_EQ(run({"plan", "latency"}), 0);
    const std::size_t first =
        line_index("RUN powercfg /s e9a42b02-d5df-448d-aa00-03f14749eb61  [waits up to 15 s]");
    const std::size_t fallback =
        line_index("RUN powercfg /s 8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c  [waits up to 15 s]");
    ASSERT_LT(first + 1, fallback);
    const std::string note = out_lines()[first + 1];
    EXPECT_TRUE(note.starts_with("NOTE ")) << note;
    EXPECT_NE(note.find("non-zero"), std::string::npos) << note;
}

TEST_F(Cli, plan_reads_the_machine_so_deletes_appear_only_for_values_that_exist) {
    fake.registry().put_dword("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution "
                              "Options\\cs2.exe\\PerfOptions",
                              "CpuPriorityClass", 3);
    ASSERT_EQ(run({"plan", "latency"}), 0);
    EXPECT_TRUE(has_line("DELETE HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution "
                         "Options\\cs2.exe\\PerfOptions CpuPriorityClass"));
    EXPECT_EQ(
        out.str().find("DELETE HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution "
                       "Options\\cs2.exe\\PerfOptions IoPriority"),
        std::string::npos);
    EXPECT_TRUE(fake.registry().has_value("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File "
                                          "Execution Options\\cs2.exe\\PerfOptions",
                                          "CpuPriorityClass"));
}

TEST_F(Cli, plan_marks_changes_already_made_and_counts_only_the_rest) {
    const std::string toasts = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\PushNotifications";
    fake.registry().put_dword(toasts, "ToastEnabled", 0);
    ASSERT_EQ(run({"plan", "latency"}), 0);
    EXPECT_TRUE(has_line("SET DWORD " + toasts + " ToastEnabled = 0 (already)"));
    EXPECT_EQ(heading_index("# [7/11] Notifications"), line_index("# [7/11] Notifications  (3 to change)"));
}

TEST_F(Cli, disarm_removes_that_step_from_the_plan) {
    ASSERT_EQ(run({"plan", "latency", "--disarm", "Mouse accel"}), 0);
    EXPECT_EQ(out.str().find("Mouse accel"), std::string::npos);
    EXPECT_EQ(out.str().find("MouseThreshold1"), std::string::npos);
    EXPECT_TRUE(has_heading("# [3/10] Input delay"));
    EXPECT_TRUE(has_heading("# [4/10] USB"));
}

TEST_F(Cli, arm_adds_a_step_the_preset_leaves_off) {
    ASSERT_EQ(run({"plan", "latency", "--preset", "casual", "--arm", "usb"}), 0);
    EXPECT_NE(out.str().find("] USB  ("), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("] Sticky keys  ("), std::string::npos);
}

TEST_F(Cli, everything_on_cpu_arms_all_eight_cull_options) {
    ASSERT_EQ(run({"plan", "cpu", "--preset", "casual", "--everything"}), 0);
    int options = 0;
    for (const ModuleInfo& info : module_table()) {
        if (is_cull_option(info.module)) {
            EXPECT_TRUE(module_arms().armed(info.module)) << info.page_row;
            ++options;
        }
    }
    EXPECT_EQ(options, 8);
    EXPECT_TRUE(has_heading("# [2/2] CPU cull"));
}

TEST_F(Cli, a_cull_option_is_named_by_its_page_row) {
    ASSERT_EQ(run({"plan", "cpu", "--disarm", "Office BG"}), 0);
    EXPECT_FALSE(module_arms().armed(Module::CullOffice));
}

TEST_F(Cli, target_names_the_game_prioritize_exe_acts_on_and_the_plan_shows_its_full_path) {
    fake.processes().add({.pid = 40, .exe_name = "cs2.exe", .image_path = "D:\\Games\\cs2\\cs2.exe"});
    ASSERT_EQ(run({"plan", "netcode", "--arm", "Prioritize exe", "--target", "CS2.exe"}), 0);
    EXPECT_EQ(target_exe().get(), "CS2.exe");
    EXPECT_NE(out.str().find("-AppPathNameMatchCondition 'D:\\Games\\cs2\\cs2.exe'"), std::string::npos)
        << out.str();
    const std::size_t clamp = out.str().find("PRIORITY 40 cs2.exe");
    EXPECT_NE(clamp, std::string::npos);
    EXPECT_LT(clamp, out.str().find("New-NetQosPolicy")) << "the game is clamped first";
    EXPECT_EQ(fake.processes().get(40)->priority_class, kNormalPriorityClass) << "a plan changes nothing";

    // Without a target the step does nothing at all.
    target_exe().set("");
    ASSERT_EQ(run({"plan", "netcode", "--arm", "Prioritize exe"}), 0);
    EXPECT_EQ(out.str().find("NetQosPolicy"), std::string::npos) << out.str();
}

// [SECTION] usage errors

TEST_F(Cli, a_target_that_is_not_a_bare_file_name_exits_2_and_sets_nothing) {
    for (const std::string& bad :
         {std::string(""), std::string("C:\\Games\\cs2.exe"), std::string("bin/cs2.exe"),
          std::string("cs2.exe\" & calc"), std::string(300, 'a'), std::string("..")}) {
        EXPECT_EQ(run({"plan", "netcode", "--target", bad}), 2) << bad;
        EXPECT_NE(err.str().find("--target"), std::string::npos) << err.str();
    }
    EXPECT_TRUE(target_exe().empty());
    EXPECT_EQ(run({"plan", "netcode", "--target", "it's 100%.exe"}), 0) << "legal file-name characters pass";
}

TEST_F(Cli, an_unknown_label_exits_2_and_lists_the_known_ones) {
    EXPECT_EQ(run({"plan", "latency", "--arm", "Turbo"}), 2);
    EXPECT_NE(err.str().find("Turbo"), std::string::npos);
    EXPECT_NE(err.str().find("Mouse accel"), std::string::npos);
    EXPECT_NE(err.str().find("Office BG"), std::string::npos);
    EXPECT_NE(err.str().find("Hibernate"), std::string::npos);
    EXPECT_TRUE(out.str().empty());
}

TEST_F(Cli, an_unknown_path_or_preset_exits_2_with_usage) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"plan", "sideways"},
                                                 {"apply", "latency", "--preset", "pro"},
                                                 {"plan"},
                                                 {"launch", "latency"},
                                                 {"plan", "latency", "--preset"},
                                                 {"plan", "latency", "--fast"}}) {
        EXPECT_EQ(run(args), 2) << args[0];
        EXPECT_NE(err.str().find("usage: tavrine-cli"), std::string::npos) << err.str();
    }
    EXPECT_TRUE(fake.journal().empty());
}

TEST_F(Cli, help_and_version_answer_on_standard_output_and_exit_0) {
    for (const std::string help : {"--help", "-h", "/?"}) {
        EXPECT_EQ(run({help}), 0) << help;
        EXPECT_TRUE(out.str().starts_with("usage: tavrine-cli")) << out.str();
        EXPECT_TRUE(err.str().empty()) << err.str();
    }
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_TRUE(out.str().starts_with("tavrine-cli ")) << out.str();
    EXPECT_NE(out.str().find("(commit "), std::string::npos) << out.str();
}

TEST_F(Cli, options_and_the_path_come_in_any_order_and_errors_leave_standard_output_empty) {
    ASSERT_EQ(run({"--disarm", "USB", "plan", "--preset", "casual", "latency"}), 0) << err.str();
    EXPECT_NE(out.str().find("preset Casual"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("] USB  ("), std::string::npos) << out.str();
    EXPECT_EQ(run({"status", "--json", "latency"}), 0) << err.str();
    EXPECT_TRUE(out.str().starts_with("{")) << out.str();
    EXPECT_EQ(run({"status", "latency", "--frobnicate"}), 2);
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("usage: tavrine-cli"), std::string::npos) << err.str();
}

// [SECTION] apply

TEST_F(Cli, apply_without_administrator_rights_exits_2_and_changes_nothing) {
    fake.security().set_elevated(false);
    EXPECT_EQ(run({"apply", "latency"}), 2);
    EXPECT_NE(err.str().find("administrator"), std::string::npos) << err.str();
    EXPECT_TRUE(fake.journal().empty());
    EXPECT_FALSE(run_status().run_in_progress.load());
}

TEST_F(Cli, apply_latency_runs_the_path_and_says_so) {
    fake.services().add("Audiosrv", {.start_type = 4});
    ASSERT_EQ(run({"apply", "latency"}), 0) << err.str();
    EXPECT_NE(out.str().find("Latency path applied"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("11 / 11"), std::string::npos) << out.str();
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "0");
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Keyboard", "KeyboardSpeed"), "31");
    EXPECT_EQ(fake.services().get("Audiosrv")->start_type, 2u);
    EXPECT_FALSE(pipeline_worker_active());
    EXPECT_FALSE(run_status().run_in_progress.load());
}

TEST_F(Cli, apply_with_a_disarmed_step_leaves_its_values_alone) {
    ASSERT_EQ(run({"apply", "latency", "--disarm", "Mouse accel"}), 0) << err.str();
    EXPECT_FALSE(fake.registry().has_key("HKCU\\Control Panel\\Mouse"));
    EXPECT_NE(out.str().find("10 / 10"), std::string::npos) << out.str();
}

} // namespace
} // namespace tavrine
