// The Games page's search and the completion card of a deploy.

#include "app/pages/completion_overlay.h"
#include "app/pages/pages.h"
#include "engine/target_exe.h"
#include "runs/deploy.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

namespace tavrine {
namespace {

TEST(GamesSearch, finds_a_name_whatever_the_case_of_either) {
    EXPECT_TRUE(title_matches_search("Fortnite", "FORT"));
    EXPECT_TRUE(title_matches_search("GTA V / Online", "v / on"));
    EXPECT_TRUE(title_matches_search("Valorant", ""));
    EXPECT_FALSE(title_matches_search("Valorant", "fort"));
}

class DeployCard : public test::EngineTest {};

TEST_F(DeployCard, names_the_title_and_shows_its_final_message_fortnite_included) {
    selected_title().store(2);
    const CompletionTexts fortnite = completion_texts(kFortniteDeployedMessage);
    EXPECT_EQ(fortnite.title, "Fortnite");
    EXPECT_EQ(fortnite.detail, kFortniteDeployedMessage);

    selected_title().store(0);
    EXPECT_EQ(completion_texts("Valorant optimised \xE2\x80\x94 launch the game").title, "Valorant");
    selected_title().store(kNoTitle);
    EXPECT_EQ(completion_texts("Valorant optimised \xE2\x80\x94 launch the game").title, "Game pass");
    EXPECT_EQ(completion_texts("Armed Valorant profile").title, "Optimiser finished");
}

} // namespace
} // namespace tavrine
