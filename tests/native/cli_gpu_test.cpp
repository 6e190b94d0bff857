// `tavrine-cli plan gpu` and `apply gpu` on the fake machine.

#include "cli/cli.h"
#include "tests/native/cli_test_support.h"
#include "tests/native/gpu_test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tavrine {
namespace {

using test::add_adapter;

class CliGpu : public test::CliTest {
protected:
    CliGpu() {
        nvidia = add_adapter(fake, "0000", "NVIDIA GeForce RTX 4070");
        intel = add_adapter(fake, "0001", "Intel(R) UHD Graphics 770");
    }

    std::string nvidia;
    std::string intel;
};

TEST_F(CliGpu, plan_with_nothing_remembered_shows_every_vendor_present_and_changes_nothing) {
    ASSERT_EQ(run({"plan", "gpu"}), 0) << err.str();
    EXPECT_TRUE(printed("vendor every vendor present (NVIDIA, Intel)"));
    EXPECT_TRUE(printed("SET DWORD " + nvidia + " PowerMizerEnable = 1\n"));
    EXPECT_TRUE(printed("SET DWORD " + intel + " PanelSelfRefreshOff = 1\n"));
    EXPECT_TRUE(printed("# [2/2] HAGS\nSET DWORD HKLM\\SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers "
                        "HwSchMode = 2\n"));
    EXPECT_TRUE(fake.journal().empty());
    EXPECT_FALSE(fake.registry().has_value(nvidia, "PowerMizerEnable"));
}

TEST_F(CliGpu, plan_for_one_vendor_shows_only_that_body_and_a_bad_vendor_is_a_usage_error) {
    ASSERT_EQ(run({"plan", "gpu", "--vendor", "intel"}), 0) << err.str();
    EXPECT_TRUE(printed("vendor Intel;"));
    EXPECT_TRUE(printed(intel + " PanelSelfRefreshOff"));
    EXPECT_FALSE(printed("PowerMizerEnable"));
    EXPECT_EQ(run({"plan", "gpu", "--vendor", "matrox"}), kCliUsageError);
    EXPECT_NE(err.str().find("--vendor auto|nvidia|amd|intel"), std::string::npos);
}

TEST_F(CliGpu, apply_needs_administrator_rights_and_then_makes_the_changes) {
    fake.security().set_elevated(false);
    EXPECT_EQ(run({"apply", "gpu", "--vendor", "nvidia"}), kCliUsageError);
    EXPECT_TRUE(fake.journal().empty());
    fake.security().set_elevated(true);
    ASSERT_EQ(run({"apply", "gpu", "--vendor", "nvidia"}), 0) << err.str();
    EXPECT_EQ(fake.registry().dword(nvidia, "PowerMizerEnable"), 1u);
    EXPECT_FALSE(fake.registry().has_value(intel, "PanelSelfRefreshOff"));
    EXPECT_EQ(fake.registry().dword("HKLM\\SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers", "HwSchMode"),
              2u);
}

} // namespace
} // namespace tavrine
