// A regression guard over the whole Latency path: the ordered journal of a Competitive run on an
// empty fake (only the three services the path starts are installed) must match the checked-in
// transcript line for line. The transcript was checked once by hand against the change lists of
// every Latency routine; any difference here means a change was added, lost or reordered.
//
// To regenerate after a deliberate change, on the native build:
//   TAVRINE_WRITE_GOLDEN=1 build/<dir>/tests/tavrine_tests --gtest_filter='GoldenTranscript.*'
// then re-run cmake (the text is compiled in), read the diff line by line and commit it.
// The text is compiled into the runner because the Windows runner cannot see the source tree.

#include "runs/pipeline.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tavrine::test {
const char* golden_latency_competitive(); // generated from golden/latency_competitive.txt
}

namespace tavrine {
namespace {

using GoldenTranscript = test::EngineTest;

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

TEST_F(GoldenTranscript, competitive_latency_run_makes_exactly_the_checked_changes_in_order) {
    for (const char* service : {"Audiosrv", "AudioEndpointBuilder", "MMCSS"}) {
        fake.services().add(service, {.start_type = 2, .running = true});
    }
    apply_profile_preset(ProfilePresetIndex::Competitive);
    build_and_start_run(PathKind::Latency);
    ASSERT_TRUE(test::wait_for_worker());
    const std::vector<std::string> journal = fake.journal();

    if (std::getenv("TAVRINE_WRITE_GOLDEN") != nullptr) {
#ifdef TAVRINE_SOURCE_DIR
        std::ofstream file(std::string(TAVRINE_SOURCE_DIR) + "/tests/native/golden/latency_competitive.txt",
                           std::ios::binary);
        for (const std::string& line : journal) {
            file << line << "\n";
        }
        GTEST_SKIP() << "transcript rewritten; check it by hand before committing";
#endif
    }

    const std::vector<std::string> golden = split_lines(test::golden_latency_competitive());
    ASSERT_FALSE(golden.empty());
    const std::size_t common = std::min(journal.size(), golden.size());
    for (std::size_t i = 0; i < common; ++i) {
        ASSERT_EQ(journal[i], golden[i]) << "first difference at line " << (i + 1);
    }
    EXPECT_EQ(journal.size(), golden.size());
}

} // namespace
} // namespace tavrine
