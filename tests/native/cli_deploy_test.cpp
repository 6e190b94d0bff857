// tavrine-cli titles, plan deploy and apply deploy on the fake machine.

#include "cli/cli.h"
#include "cli/cli_deploy.h"
#include "runs/deploy.h"
#include "tests/native/cli_test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tavrine {
namespace {

constexpr const char* kClient =
    "C:\\Users\\Player\\AppData\\Local\\FortniteGame\\Saved\\Config\\WindowsClient";

using TitleCli = test::CliTest;

TEST_F(TitleCli, a_title_is_its_name_in_any_case_or_its_index) {
    EXPECT_EQ(parse_title("fortnite"), 2);
    EXPECT_EQ(parse_title("COUNTER-STRIKE 2"), 1);
    EXPECT_EQ(parse_title("21"), 21);
    EXPECT_EQ(parse_title("22"), std::nullopt);
    EXPECT_EQ(parse_title("-1"), std::nullopt);
    EXPECT_EQ(parse_title("2x"), std::nullopt);
    EXPECT_EQ(run({"plan", "deploy", "Halo"}), kCliUsageError);
    EXPECT_NE(err.str().find("Deadlock"), std::string::npos) << "the titles are listed";
    ASSERT_EQ(run({"titles"}), 0);
    EXPECT_TRUE(printed("deadlock.exe"));
}

TEST_F(TitleCli, plan_deploy_prints_the_seven_stages_with_the_ini_lines_and_changes_nothing) {
    fake.files().set_known_folder(KnownFolder::LocalAppData, "C:\\Users\\Player\\AppData\\Local");
    fake.files().add_text_file(std::string(kClient) + "\\Engine.ini", "[SystemSettings]\r\nr.VSync=1\r\n");
    const std::vector<std::string> before = fake.journal();

    ASSERT_EQ(run({"plan", "deploy", "fortnite"}), 0) << err.str();
    std::size_t previous = 0;
    for (int stage = 1; stage <= 7; ++stage) {
        const std::string heading = "# [" + std::to_string(stage) + "/7] " + deploy_stage_labels()[stage - 1];
        const std::size_t at = out.str().find(heading);
        ASSERT_NE(at, std::string::npos) << heading;
        EXPECT_GT(at, previous);
        previous = at;
    }
    EXPECT_TRUE(printed("NOTE INI " + std::string(kClient) + "\\Engine.ini [SystemSettings] r.VSync=0"));
    EXPECT_TRUE(printed("[/Script/FortniteGame.FortGameUserSettings] bNanite=False"));
    EXPECT_TRUE(printed("COPY FILE " + std::string(kClient) + "\\Engine.ini"));
    EXPECT_TRUE(printed("Fortnite Performance Mode on"));
    EXPECT_EQ(fake.journal(), before);
}

TEST_F(TitleCli, apply_deploy_needs_administrator_rights_then_runs_to_the_final_message) {
    fake.security().set_elevated(false);
    EXPECT_EQ(run({"apply", "deploy", "valorant"}), kCliUsageError);
    EXPECT_TRUE(fake.journal().empty());

    fake.security().set_elevated(true);
    ASSERT_EQ(run({"apply", "deploy", "0"}), 0) << err.str();
    EXPECT_TRUE(printed("Step 7 / 7  Valorant optimised"));
    EXPECT_TRUE(run_status().result_veil_shown.load());
}

} // namespace
} // namespace tavrine
