#include "app/pages/pages.h"
#include "cli/cli.h"
#include "engine/run_status.h"
#include "engine/target_exe.h"
#include "gpu/vendor_record.h"
#include "overlays/hud.h"
#include "runs/profile.h"
#include "tests/native/cli_test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace tavrine {
namespace {

constexpr const char* kFile = "C:\\Users\\Player\\room.tavrine.json";
constexpr const char* kToasts = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\PushNotifications";

using Profiles = test::CliTest;

// [SECTION] round trip

TEST_F(Profiles, export_then_import_gives_back_the_selections_for_every_preset_and_path) {
    fake.files().create_folders("C:\\Users\\Player");
    for (const ProfilePresetIndex preset : kProfilePresets) {
        test::reset_to_fresh_start();
        selected_title().store(3);
        set_remembered_vendor(GpuVendor::Amd);
        const std::string name = profile_preset_name(preset_number(preset));
        ASSERT_EQ(run({"profile", "export", kFile, "--preset", name, "--arm", "Restore point", "--disarm",
                       "Office BG", "--target", "cs2.exe"}),
                  0)
            << err.str();
        EXPECT_EQ(out.str(), std::string("profile written to ") + kFile + "\n");
        const Profile chosen = current_profile("room"); // what the export was made from
        ASSERT_EQ(chosen.paths.size(), 5u);

        test::reset_to_fresh_start();
        set_remembered_vendor(GpuVendor::Unknown);
        ASSERT_EQ(run({"status", "cpu", "--profile", kFile}), 0) << err.str();
        EXPECT_EQ(profile_text(current_profile("room")), profile_text(chosen)) << name;
        EXPECT_EQ(current_profile("room"), chosen) << name;
        EXPECT_EQ(err.str(),
                  "tavrine-cli: note: the cleanup path arms beyond its " + name + " preset: Restore point\n")
            << "only what no preset arms is noted";
    }
}

TEST_F(Profiles, arms_on_the_line_apply_on_top_of_the_profile_and_going_beyond_a_preset_is_said) {
    fake.files().add_text_file(
        kFile, R"({"version": 1, "paths": {"latency": {"preset": "Casual", "armed": ["USB", "Timer"]}}})");
    ASSERT_EQ(run({"plan", "latency", "--profile", kFile, "--disarm", "Timer"}), 0) << err.str();
    EXPECT_TRUE(module_arms().armed(Module::Usb));
    EXPECT_FALSE(module_arms().armed(Module::Timer));
    EXPECT_FALSE(module_arms().armed(Module::PowerPlan)) << "the profile's list is the whole list";
    EXPECT_NE(err.str().find("the latency path arms beyond its Casual preset: USB, Timer"), std::string::npos)
        << err.str();
    EXPECT_EQ(run({"plan", "latency", "--profile", kFile, "--preset", "casual"}), 2);
}

// [SECTION] bad input

TEST_F(Profiles, a_bad_profile_exits_2_with_line_and_column_and_changes_nothing) {
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"{\"version\": 1,,}", "line 1, column 15: not JSON"},
        {"{\"version\": 2}", "line 1, column 13: unknown profile version 2"},
        {"{\"version\": 1,\n  \"colour\": \"red\"}", "line 2, column 3: unknown field \"colour\""},
        {"{\"version\": 1, \"paths\": {\"sideways\": {\"armed\": []}}}",
         "line 1, column 26: unknown path \"sideways\"; the paths are: latency, frames, netcode, cleanup, "
         "cpu"},
        {"{\"version\": 1, \"paths\": {\"latency\": {\"armed\": [\n  \"USB\", \"Nagle\"]}}}",
         "line 2, column 10: unknown module \"Nagle\" on the latency path; its modules are: \"Power plan\""},
        {"{\"version\": 1, \"target\": \"C:\\\\Games\\\\cs2.exe\"}",
         "line 1, column 26: \"target\" is an executable file name"},
        {"{\"version\": 1, \"version\": 1}", "line 1, column 16: \"version\" is given twice"},
        {"{\"version\": 1, \"crosshair\": {\"colour\": [1, 0, 0, 2]}}",
         "line 1, column 30: \"colour\" must be four"},
        {"{\"version\": 1, \"paths\": {}}" + std::string(kProfileMaxBytes, ' '), "over 1 MiB"},
    };
    const Profile before = current_profile("");
    for (const auto& bad : cases) {
        fake.files().add_text_file(kFile, bad.text);
        EXPECT_EQ(run({"status", "latency", "--profile", kFile, "--arm", "Standby"}), 2) << bad.message;
        EXPECT_NE(err.str().find(bad.message), std::string::npos) << err.str();
        EXPECT_TRUE(out.str().empty()) << out.str();
        EXPECT_EQ(current_profile(""), before) << bad.message;
    }
    EXPECT_TRUE(fake.journal().empty());
}

// [SECTION] drift

TEST_F(Profiles, status_with_a_profile_exits_3_naming_what_drifted_and_0_once_applied) {
    fake.files().add_text_file(
        kFile,
        R"({"version": 1, "paths": {"latency": {"preset": "Competitive", "armed": ["Notifications", "Timer"]}}})");
    fake.registry().put_dword(kToasts, "ToastEnabled", 1);
    EXPECT_EQ(run({"status", "latency", "--profile", kFile}), 3) << err.str();
    EXPECT_NE(out.str().find("# drifted: Notifications\n"), std::string::npos) << out.str();

    EXPECT_EQ(run({"status", "--json", "--profile", kFile, "latency"}), 3) << err.str();
    const auto document = nlohmann::json::parse(out.str());
    EXPECT_EQ(document["profile"], "room");
    EXPECT_EQ(document["drifted"], nlohmann::json::array({"Notifications"}));
    for (const auto& module : document["modules"]) {
        if (module["step"] == "Timer") {
            EXPECT_TRUE(module["armed"].get<bool>());
            EXPECT_FALSE(module["drifted"].get<bool>()) << "held only while the program runs: not drift";
        }
    }

    EXPECT_TRUE(fake.journal().empty()) << "status changes nothing";

    ASSERT_EQ(run({"apply", "latency", "--profile", kFile}), 0) << err.str();
    ASSERT_TRUE(test::wait_for_worker());
    EXPECT_EQ(fake.registry().dword(kToasts, "ToastEnabled"), 0u);
    EXPECT_EQ(run({"status", "latency", "--profile", kFile}), 0) << out.str();
}

// [SECTION] the window's Profile card

TEST_F(Profiles, the_window_imports_what_it_exported_says_what_it_set_and_refuses_during_a_run) {
    fake.files().create_folders("C:\\Users\\Player");
    ShellState state;
    module_arms().set(Module::Usb, false);
    target_exe().set("valorant.exe");
    crosshair_settings().colour = {1.0f, 0.2f, 0.35f, 1.0f};
    hud_settings().corner = 2;
    export_profile_to(state, kFile);
    EXPECT_EQ(state.profile_message, std::string("Exported to ") + kFile);
    const Profile exported = current_profile("room");

    test::reset_to_fresh_start();
    run_status().run_in_progress.store(true);
    import_profile_from(state, kFile);
    EXPECT_NE(state.profile_message.find("A run is under way"), std::string::npos) << state.profile_message;
    EXPECT_TRUE(module_arms().armed(Module::Usb)) << "nothing set during a run";
    run_status().run_in_progress.store(false);

    crosshair_settings().enabled = true;
    import_profile_from(state, kFile);
    EXPECT_EQ(current_profile("room"), exported);
    // The overlays take the look and stay shown or hidden as they were.
    EXPECT_EQ(crosshair_settings().colour, (CrosshairColour{1.0f, 0.2f, 0.35f, 1.0f}));
    EXPECT_TRUE(crosshair_settings().enabled);
    EXPECT_EQ(hud_settings().corner, 2);
    EXPECT_FALSE(hud_settings().enabled);
    EXPECT_TRUE(state.profile_message.starts_with("Imported \"room\": ")) << state.profile_message;
    EXPECT_NE(state.profile_message.find("target valorant.exe"), std::string::npos) << state.profile_message;

    fake.files().add_text_file(kFile, "{\"version\": 7}");
    import_profile_from(state, kFile);
    EXPECT_NE(state.profile_message.find("Not imported, nothing changed."), std::string::npos);
    EXPECT_NE(state.profile_message.find("line 1, column 13: unknown profile version 7"), std::string::npos)
        << state.profile_message;
    EXPECT_EQ(current_profile("room"), exported);
}

} // namespace
} // namespace tavrine
