#include "cli/cli.h"
#include "runs/module_state.h"
#include "runs/module_state_board.h"
#include "runs/pipeline.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <sstream>

namespace tavrine {
namespace {

constexpr const char* kToasts = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\PushNotifications";

class ModuleStates : public test::EngineTest {
protected:
    ModuleStates() {
        for (const char* service : {"Audiosrv", "AudioEndpointBuilder", "MMCSS"}) {
            fake.services().add(service, {.start_type = 3});
        }
    }
    // Every step of the path, armed or not, run for real on the fake.
    void apply_whole_path(PathKind path) {
        for (const ModuleInfo& info : module_table()) {
            if (info.routine != nullptr && path_covers(path, info.block)) {
                info.routine();
            }
        }
    }
    ModuleState state_of(PathKind path, const char* label) {
        for (const ModuleStateRow& row : compute_module_states(path, fake)) {
            if (std::string_view(row.step_label) == label) {
                return row.state;
            }
        }
        ADD_FAILURE() << "no row " << label;
        return {};
    }
};

TEST_F(ModuleStates, a_freshly_applied_path_reads_applied_for_every_module_it_can_check) {
    EXPECT_EQ(state_of(PathKind::Latency, "Notifications").kind, ModuleStateKind::NotApplied);
    apply_whole_path(PathKind::Latency);
    int checked = 0;
    for (const ModuleStateRow& row : compute_module_states(PathKind::Latency, fake)) {
        if (row.module && row.state.checkable > 0) {
            EXPECT_EQ(row.state.kind, ModuleStateKind::Applied)
                << row.step_label << " " << state_text(row.state);
            ++checked;
        }
    }
    EXPECT_GE(checked, 5);
}

TEST_F(ModuleStates, one_value_changed_back_makes_only_that_module_partly) {
    apply_whole_path(PathKind::Latency);
    fake.registry().put_dword(kToasts, "ToastEnabled", 1);
    const ModuleState notifications = state_of(PathKind::Latency, "Notifications");
    EXPECT_EQ(notifications.kind, ModuleStateKind::Partly);
    EXPECT_EQ(state_text(notifications), "partly 3/4");
    EXPECT_EQ(state_tooltip(notifications), "1 of 4 values still to change");
    EXPECT_EQ(state_of(PathKind::Latency, "Mouse accel").kind, ModuleStateKind::Applied);
}

TEST_F(ModuleStates, a_module_made_only_of_commands_cannot_tell) {
    const ModuleState hibernate = state_of(PathKind::Cleanup, "Hibernate");
    EXPECT_EQ(hibernate.kind, ModuleStateKind::CannotTell);
    EXPECT_EQ(state_tooltip(hibernate), "State unknown: runs commands");
}

TEST_F(ModuleStates, the_cull_and_the_temp_clean_report_what_they_would_do) {
    fake.processes().add({.pid = 70, .exe_name = "msedge.exe"});
    fake.processes().add({.pid = 71, .exe_name = "discord.exe"});
    EXPECT_EQ(state_text(state_of(PathKind::CpuCull, "CPU cull")), "1 process would end");
    EXPECT_EQ(state_text(state_of(PathKind::Latency, "Timer")), "held while the program runs");
    EXPECT_TRUE(fake.processes().get(70).has_value()) << "reading the state ends nothing";
}

TEST_F(ModuleStates, status_reads_every_path_and_writes_nothing) {
    fake.registry().put_dword(kToasts, "ToastEnabled", 1);
    const std::size_t keys = fake.registry().key_count();
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(run_cli({"status"}, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("Notifications     Toasts off          not applied\n"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("Hibernate"), std::string::npos) << "every path by default";
    EXPECT_TRUE(fake.journal().empty());
    EXPECT_EQ(fake.registry().key_count(), keys);

    out.str("");
    ASSERT_EQ(run_cli({"status", "latency", "--json"}, out, err), 0) << err.str();
    const auto document = nlohmann::json::parse(out.str());
    EXPECT_EQ(document["path"], "latency");
    std::vector<std::string> steps;
    for (const auto& module : document["modules"]) {
        steps.push_back(module["step"]);
        if (module["step"] == "Notifications") {
            EXPECT_EQ(module["row"], "Toasts off");
            EXPECT_EQ(module["state"], "not applied");
        }
    }
    std::vector<std::string> expected = {"Audio stability"};
    for (const ModuleInfo& info : module_table()) {
        if (info.block == PathKind::Latency) {
            expected.push_back(info.step_label);
        }
    }
    EXPECT_EQ(steps, expected) << "every module of the path, named";
    EXPECT_TRUE(fake.journal().empty());
}

// The page reader previews on its own thread while a real run writes on the worker: neither
// may reach the other's machine.
class StatesDuringARun : public test::EngineTest {
protected:
    StatesDuringARun() : observed_(fake, [this](const char* what) { on_effect(what); }), scope_(observed_) {}
    ~StatesDuringARun() override {
        gate_.open();
        EXPECT_TRUE(test::wait_for_worker());
    }
    void on_effect(const char* what) {
        if (std::string_view(what) == "run" && hold_.exchange(false)) {
            gate_.pass();
        }
    }
    test::Gate gate_;
    std::atomic<bool> hold_{true};
    test::ObservedMachine observed_;
    ScopedMachine scope_;
};

TEST_F(StatesDuringARun, a_state_reader_never_turns_a_real_run_into_a_preview) {
    build_and_start_run(PathKind::Latency);
    ASSERT_TRUE(gate_.wait_until_reached());
    request_module_states(PathKind::Latency);
    gate_.open(); // both run at once from here
    ASSERT_TRUE(test::wait_for_worker());
    // Every step reached the machine, the last ones included.
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Mouse", "MouseSpeed"), "0");
    EXPECT_EQ(fake.registry().dword(kToasts, "ToastEnabled"), 0u);
    EXPECT_EQ(fake.registry().text("HKCU\\Control Panel\\Accessibility\\StickyKeys", "Flags"), "506");
    const auto states = module_states();
    EXPECT_TRUE((*states)[static_cast<std::size_t>(Module::Notifications)].has_value());
    // And the reader's preview wrote nothing: the run's one write of the value is all there is.
    const auto journal = fake.journal();
    EXPECT_EQ(
        std::count(journal.begin(), journal.end(), "SET SZ HKCU\\Control Panel\\Mouse MouseSpeed = \"0\""),
        1);
}

} // namespace
} // namespace tavrine
