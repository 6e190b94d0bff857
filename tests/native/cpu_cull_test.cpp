// The CPU cull on the fake machine: what survives, what goes, how terminations are credited,
// the Office polite close, and the counts a run reports.

#include "cli/cli.h"
#include "process/cull.h"
#include "process/kill.h"
#include "process/process_walk.h"
#include "process/protected_processes.h"
#include "runs/modules.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace tavrine {
namespace {

class CpuCullTest : public test::EngineTest {
protected:
    CpuCullTest() { fake.processes().set_current_process_id(kOwnPid); }

    void add(std::uint32_t pid, const char* name, FakeProcess extra = {}) {
        extra.pid = pid;
        extra.exe_name = name;
        fake.processes().add(std::move(extra));
    }
    bool running(std::uint32_t pid) { return fake.processes().get(pid).has_value(); }
    // What a snapshot lists for `pid` now (the id alone for one it does not list).
    ProcessEntry listed(std::uint32_t pid) {
        for (const ProcessEntry& entry : fake.processes().list_processes()) {
            if (entry.pid == pid) {
                return entry;
            }
        }
        return {.pid = pid};
    }
    bool ended(std::uint32_t pid) { return kill_process(listed(pid)) == KillOutcome::Ended; }

    std::vector<std::string> commands_with(std::string_view needle) {
        std::vector<std::string> hits;
        for (const std::string& command : fake.commands().texts()) {
            if (command.find(needle) != std::string::npos) {
                hits.push_back(command);
            }
        }
        return hits;
    }
    bool journal_has(std::string_view line) const {
        const std::vector<std::string> journal = fake.journal();
        return std::find(journal.begin(), journal.end(), line) != journal.end();
    }

    static CullOptions everything() { return {true, true, true, true, true, true, true, true}; }
    static CullOptions only_bloat_list() {
        CullOptions options;
        options.bloat_list = true;
        return options;
    }
    void arm_only(std::initializer_list<Module> options) {
        for (const ModuleInfo& info : module_table()) {
            if (is_cull_option(info.module)) {
                module_arms().set(info.module, false);
            }
        }
        for (Module option : options) {
            module_arms().set(option, true);
        }
    }

    static constexpr std::uint32_t kOwnPid = 7000;
};

// [SECTION] Who survives ----------------------------------------------------------------------

TEST_F(CpuCullTest, idle_system_and_own_process_are_never_terminated_whatever_their_names) {
    add(0, "msedge.exe");
    add(4, "widgets.exe");
    add(kOwnPid, "spotify.exe");

    EXPECT_EQ(cull_pass(everything()), 0);
    EXPECT_FALSE(ended(0));
    EXPECT_FALSE(ended(4));
    EXPECT_FALSE(ended(kOwnPid));

    EXPECT_TRUE(running(0));
    EXPECT_TRUE(running(4));
    EXPECT_TRUE(running(kOwnPid));
    EXPECT_TRUE(commands_with("taskkill").empty()) << "not even the taskkill fall-back may be tried";
}

TEST_F(CpuCullTest, steam_and_amd_helpers_survive_every_option_while_nvidia_share_and_steam_reporter_go) {
    add(100, "steamwebhelper.exe");
    add(101, "amdow.exe");
    add(102, "nvidia share.exe");
    add(103, "steamerrorreporter.exe");

    EXPECT_EQ(cull_pass(everything()), 2);
    EXPECT_TRUE(running(100));
    EXPECT_TRUE(running(101));
    EXPECT_FALSE(running(102));
    EXPECT_FALSE(running(103));

    add(102, "nvidia share.exe");
    add(103, "steamerrorreporter.exe");
    EXPECT_EQ(cull_pass(only_bloat_list()), 2) << "the bloat list alone ends them";
    EXPECT_TRUE(journal_has("KILL 102 nvidia share.exe (bloat list)"));
}

TEST_F(CpuCullTest, protected_test_rules_apply_in_order_and_ignore_case) {
    EXPECT_TRUE(is_protected_process("SVCHOST.EXE"));
    EXPECT_TRUE(is_protected_process("steamwebhelper.exe")) << "the list wins over the exceptions";
    EXPECT_FALSE(is_protected_process("NVIDIA Share.exe")) << "an exception bypasses the \"nv\" words";
    EXPECT_TRUE(is_protected_process("MyRealtekAudioThing.exe")) << "a guarded word anywhere";
    EXPECT_FALSE(is_protected_process("notepad.exe"));
    EXPECT_FALSE(is_protected_process(""));
}

TEST_F(CpuCullTest, deep_sweep_spares_runtimebroker_and_hosts_without_a_second_word) {
    add(200, "runtimebroker.exe");      // "broker" and "runtime", but protected
    add(201, "backgroundTaskHost.exe"); // "host" plus "background"
    add(202, "printhost.exe");          // "host" and nothing else
    add(203, "explorer.exe");
    add(204, "acmewebview.exe"); // a candidate without "host" or "broker" goes on
    CullOptions options;
    options.deep_sweep = true;

    EXPECT_EQ(cull_pass(options), 2);
    EXPECT_TRUE(running(200));
    EXPECT_FALSE(running(201));
    EXPECT_TRUE(running(202));
    EXPECT_TRUE(running(203));
    EXPECT_FALSE(running(204));
}

TEST_F(CpuCullTest, list_names_match_in_any_letter_case) {
    add(300, "MSEDGE.EXE");
    add(301, "OfficeClickToRun.EXE");
    CullOptions options;
    options.bloat_list = true;
    options.office = true;

    EXPECT_EQ(cull_pass(options), 2);
    EXPECT_FALSE(running(300));
    EXPECT_FALSE(running(301));
}

TEST_F(CpuCullTest, updater_patterns_end_unlisted_updaters_but_not_guarded_ones) {
    add(310, "acmeupdater.exe");
    add(311, "steamupdater.exe"); // guarded by "steam"
    CullOptions options;
    options.updaters = true;

    EXPECT_EQ(cull_pass(options), 1);
    EXPECT_FALSE(running(310));
    EXPECT_TRUE(running(311));
}

TEST_F(CpuCullTest, the_walk_hands_out_names_cut_to_the_snapshot_buffer) {
    add(320, std::string(300, 'a').c_str());
    std::size_t length = 0;
    for_each_process([&](std::uint32_t, std::string_view name) { length = name.size(); });
    EXPECT_EQ(length, 259u);
    EXPECT_EQ(count_processes(), 1);
}

TEST_F(CpuCullTest, processes_of_other_logon_sessions_are_never_ended) {
    add(300, "msedge.exe", {.session_id = 2}); // another signed-in user's browser
    add(301, "msedge.exe");
    add(302, "onedrive.exe", {.session_id = 0}); // a service's session
    arm_only({Module::CullBloatList, Module::CullCloudSync});
    run_cpu_cull(read_cull_options());
    EXPECT_TRUE(running(300));
    EXPECT_TRUE(running(302));
    EXPECT_FALSE(running(301));
}

TEST_F(CpuCullTest, an_id_reused_between_the_snapshot_and_the_kill_is_left_alone_and_counted_gone) {
    add(310, "spotify.exe");
    add(311, "zoom.exe");
    fake.processes().after_next_snapshot([&] {
        // Both end; their ids go to a new spotify.exe and an unrelated program.
        fake.processes().remove(310);
        fake.processes().remove(311);
        add(310, "spotify.exe");
        add(311, "notepad.exe");
    });
    int gone = 0;
    EXPECT_EQ(cull_pass(only_bloat_list(), nullptr, &gone), 0);
    EXPECT_EQ(gone, 2);
    EXPECT_TRUE(running(310));
    EXPECT_TRUE(running(311));
    EXPECT_TRUE(commands_with("taskkill").empty());
}

// [SECTION] Crediting ---------------------------------------------------------------------------

TEST_F(CpuCullTest, taskkill_fall_back_is_credited_only_when_the_process_really_went) {
    // Refuses TerminateProcess access, but taskkill ends it: one termination.
    add(400, "widgets.exe", {.denied_access = kProcessTerminate});
    // Refuses, and survives taskkill as well: still running, nothing credited.
    add(401, "spotify.exe", {.denied_access = kProcessTerminate, .survives_taskkill = true});
    // Survives and will not even be queried: there but silent, which is not a termination.
    add(402, "zoom.exe",
        {.denied_access = kProcessTerminate | kProcessQueryLimitedInformation, .survives_taskkill = true});

    EXPECT_TRUE(ended(400));
    EXPECT_FALSE(ended(401));
    EXPECT_FALSE(ended(402));

    EXPECT_FALSE(running(400));
    EXPECT_TRUE(running(401));
    EXPECT_TRUE(running(402));
    EXPECT_EQ(commands_with("taskkill /F /PID 400").size(), 1u);
    EXPECT_EQ(commands_with("taskkill /F /PID 401").size(), 1u);
}

TEST_F(CpuCullTest, a_terminate_that_is_refused_falls_back_to_taskkill) {
    add(410, "widgets.exe", {.terminate_fails = true});
    EXPECT_TRUE(ended(410));
    EXPECT_FALSE(running(410));
    EXPECT_EQ(commands_with("taskkill /F /PID 410 >nul 2>&1").size(), 1u);
}

// [SECTION] Office ---------------------------------------------------------------------------------

TEST_F(CpuCullTest, office_editors_are_asked_to_close_once_and_not_credited_when_they_stay) {
    arm_only({Module::CullOffice});
    add(500, "WINWORD.EXE", {.stays_open_on_close = true}); // a document waits to be saved
    add(501, "powerpnt.exe");                               // nothing unsaved: closes when asked
    add(502, "excel.exe", {.stays_open_on_close = true});
    add(503, "officeclicktorun.exe", {.survives_taskkill = true}); // background: still ended
    add(504, "sdxhelper.exe");

    run_cpu_cull(read_cull_options());

    EXPECT_TRUE(running(500)) << "the editor with unsaved work is still open";
    EXPECT_TRUE(running(502));
    EXPECT_FALSE(running(501));
    EXPECT_FALSE(running(503));
    EXPECT_FALSE(running(504));
    for (const std::string& command : fake.commands().texts()) {
        const bool editor = command.find("WINWORD") != std::string::npos ||
                            command.find("EXCEL") != std::string::npos ||
                            command.find("powerpnt") != std::string::npos;
        if (editor) {
            EXPECT_EQ(command.find("/F "), std::string::npos) << "an editor is never forced: " << command;
        }
    }
    // Asked once for the whole run, not by every one of the ten passes.
    EXPECT_EQ(commands_with("WINWORD").size(), 1u);
    EXPECT_EQ(commands_with("EXCEL").size(), 1u);
    EXPECT_EQ(commands_with("taskkill /FI \"SESSION eq 1\" /IM \"powerpnt.exe\"").size(), 1u);
    EXPECT_FALSE(journal_has("KILL 500 WINWORD.EXE (Office BG)"));
    // PowerPoint, Click-to-Run and the helper went: 3 of 5; the two waiting editors are not counted.
    EXPECT_EQ(cull_result().get().before, 5);
    EXPECT_EQ(cull_result().get().after, 2);
    EXPECT_EQ(cull_result().get().killed, 3);
}

TEST_F(CpuCullTest, an_editor_that_closes_when_asked_counts_as_one_termination) {
    add(510, "outlook.exe");
    CullOptions options;
    options.office = true;
    EXPECT_EQ(cull_pass(options), 1);
    EXPECT_FALSE(running(510));
    EXPECT_EQ(fake.processes().ended_with(510), 0u) << "it closed itself; nothing was terminated";
}

// [SECTION] A whole run --------------------------------------------------------------------------

TEST_F(CpuCullTest, killed_is_never_below_the_drop_in_the_process_count) {
    arm_only({Module::CullBloatList});
    add(600, "msedge.exe");  // ended by the taskkill list before the passes: not credited by them
    add(601, "Widgets.exe"); // likewise
    add(602, "spotify.exe"); // ended by a pass: credited
    add(603, "notepad.exe");

    run_cpu_cull(read_cull_options());

    EXPECT_EQ(cull_result().get().before, 4);
    EXPECT_EQ(cull_result().get().after, 1);
    EXPECT_EQ(cull_result().get().killed, 3);
    EXPECT_EQ(cull_result_line(), "4 -> 1 processes  \xC2\xB7  3 killed");
}

TEST_F(CpuCullTest, services_or_startup_alone_still_count_and_terminate_nothing) {
    for (Module option : {Module::CullServices, Module::CullStartup}) {
        arm_only({option});
        add(700, "msedge.exe");
        add(701, "backgroundtaskhost.exe");
        run_cpu_cull(read_cull_options());
        EXPECT_TRUE(running(700));
        EXPECT_TRUE(running(701));
        EXPECT_EQ(cull_result().get().before, 2);
        EXPECT_EQ(cull_result().get().after, 2);
        EXPECT_EQ(cull_result().get().killed, 0);
    }
}

TEST_F(CpuCullTest, a_failed_snapshot_counts_zero_and_ends_nothing) {
    arm_only({Module::CullBloatList});
    add(710, "spotify.exe", {.survives_taskkill = true});
    fake.processes().fail_snapshots(true);
    run_cpu_cull(read_cull_options());
    EXPECT_TRUE(running(710));
    EXPECT_EQ(cull_result().get().before, 0);
    EXPECT_EQ(cull_result().get().killed, 0);
}

TEST_F(CpuCullTest, streamer_preset_keeps_the_per_user_capture_services) {
    arm_only({Module::CullServices});
    profile_preset().store(preset_number(ProfilePresetIndex::Streamer));
    run_cpu_cull(read_cull_options());
    EXPECT_TRUE(commands_with("powershell").empty());

    profile_preset().store(preset_number(ProfilePresetIndex::Competitive));
    run_cpu_cull(read_cull_options());
    EXPECT_EQ(commands_with("CaptureService").size(), 1u);
}

TEST_F(CpuCullTest, services_stop_to_demand_start_and_sysmain_is_disabled_only_when_armed) {
    arm_only({Module::CullServices});
    fake.services().add("DiagTrack", {.start_type = 2, .running = true});
    fake.services().add("SysMain", {.start_type = 2, .running = true});
    module_arms().set(Module::SysMain, false);
    run_cpu_cull(read_cull_options());
    EXPECT_EQ(fake.services().get("DiagTrack")->start_type, 3u);
    EXPECT_FALSE(fake.services().get("DiagTrack")->running);
    EXPECT_EQ(fake.services().get("SysMain")->start_type, 2u);

    module_arms().set(Module::SysMain, true);
    run_cpu_cull(read_cull_options());
    EXPECT_EQ(fake.services().get("SysMain")->start_type, 4u);
}

TEST_F(CpuCullTest, startup_removes_run_values_of_user_and_machine_and_leaves_others) {
    const char* user_run = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const char* machine_run32 = "HKLM\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
    fake.registry().put_string(user_run, "Spotify", "spotify.exe");
    fake.registry().put_string(user_run, "MyTool", "tool.exe");
    fake.registry().put_string(machine_run32, "SunJavaUpdateSched", "jusched.exe");
    disable_startup_junk();
    EXPECT_FALSE(fake.registry().has_value(user_run, "Spotify"));
    EXPECT_TRUE(fake.registry().has_value(user_run, "MyTool"));
    EXPECT_FALSE(fake.registry().has_value(machine_run32, "SunJavaUpdateSched"));
    EXPECT_FALSE(fake.registry().has_key("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"))
        << "deleting from a missing key creates nothing";
    EXPECT_EQ(fake.registry().dword(
                  "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\BackgroundAccessApplications",
                  "GlobalUserDisabled"),
              1u);
}

TEST_F(CpuCullTest, a_run_sleeps_two_point_six_seconds_on_paper) {
    arm_only({Module::CullBloatList});
    run_cpu_cull(read_cull_options());
    EXPECT_EQ(fake.system_state().slept_ms(), 2600u);
}

// [SECTION] Preview and the console --------------------------------------------------------------

TEST_F(CpuCullTest, plan_cpu_lists_each_process_it_would_end_once_by_rule_and_ends_none) {
    add(4312, "msedge.exe");
    add(4313, "acmewebview.exe");
    add(4314, "discord.exe");
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(run_cli({"plan", "cpu"}, out, err), 0) << err.str();
    const std::string plan = out.str();

    auto count = [&](std::string_view needle) {
        std::size_t hits = 0;
        for (std::size_t at = plan.find(needle); at != std::string::npos; at = plan.find(needle, at + 1)) {
            ++hits;
        }
        return hits;
    };
    EXPECT_EQ(count("KILL 4312 msedge.exe (bloat list)\n"), 1u);
    EXPECT_EQ(count("KILL 4313 acmewebview.exe (deep sweep)\n"), 1u) << "Competitive arms Deep sweep";
    EXPECT_EQ(count("discord.exe"), 0u);
    EXPECT_TRUE(running(4312));
    EXPECT_TRUE(running(4313));
    EXPECT_TRUE(fake.journal().empty()) << "a preview changes nothing";
}

TEST_F(CpuCullTest, apply_cpu_prints_counts_that_add_up) {
    add(800, "widgets.exe");
    add(801, "spotify.exe");
    add(802, "discord.exe");
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(run_cli({"apply", "cpu"}, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("CPU cull finished\n3 -> 1 processes  \xC2\xB7  2 killed\n"), std::string::npos)
        << out.str();
    EXPECT_TRUE(running(802));
}

} // namespace
} // namespace tavrine
