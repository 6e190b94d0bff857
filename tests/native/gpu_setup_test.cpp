// The first-launch operations and "Tune GPU now": the vendor threads, what they apply, and the
// record they leave.

#include "engine/run_status.h"
#include "tests/native/gpu_test_support.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrine {
namespace {

using test::add_adapter;

constexpr const char* kGraphicsDrivers = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers";

class GpuSetup : public test::EngineTest {
protected:
    GpuSetup() { test::reset_gpu_state(); }
    ~GpuSetup() override { test::reset_gpu_state(); }

    bool nvidia_profile_applied() { return fake.registry().dword(kGraphicsDrivers, "TdrDelay") == 10u; }
    bool hags_on() { return fake.registry().dword(kGraphicsDrivers, "HwSchMode") == 2u; }
};

TEST_F(GpuSetup, confirming_vendor_0_applies_the_nvidia_profile_and_hardware_scheduling) {
    set_gpu_worker_starter(test::run_in_place);
    detect_once(); // nothing recognised: manual pick
    confirm_vendor(GpuVendor::Unknown);
    const GpuDetection& detection = gpu_detection();
    EXPECT_EQ(detection.selected_vendor, GpuVendor::Nvidia);
    EXPECT_EQ(detection.adapter_display_name, "NVIDIA");
    EXPECT_EQ(detection.setup_phase, SetupPhase::Applying);
    EXPECT_TRUE(detection.tuning_done.load());
    EXPECT_FALSE(detection.tuning_busy.load());
    EXPECT_TRUE(nvidia_profile_applied());
    EXPECT_TRUE(hags_on());
}

TEST_F(GpuSetup, a_vendor_thread_that_cannot_start_clears_busy_and_returns_to_choosing) {
    add_adapter(fake, "0000", "NVIDIA GeForce RTX 4070");
    set_gpu_worker_starter(test::refuse_thread);
    detect_once();
    confirm_vendor(GpuVendor::Nvidia);
    const GpuDetection& detection = gpu_detection();
    EXPECT_EQ(detection.setup_phase, SetupPhase::Choosing);
    EXPECT_FALSE(detection.tuning_busy.load());
    EXPECT_FALSE(detection.tuning_done.load());
    EXPECT_TRUE(fake.journal().empty());
}

TEST_F(GpuSetup, tune_now_is_refused_while_a_run_or_another_vendor_thread_is_busy) {
    set_gpu_worker_starter(test::run_in_place);
    run_status().worker_active.store(true);
    EXPECT_FALSE(start_tune_now(GpuVendor::Nvidia));
    run_status().worker_active.store(false);
    gpu_detection().tuning_busy.store(true);
    EXPECT_FALSE(start_tune_now(GpuVendor::Nvidia));
    gpu_detection().tuning_busy.store(false);
    EXPECT_TRUE(fake.journal().empty());

    set_gpu_worker_starter(test::refuse_thread);
    EXPECT_FALSE(start_tune_now(GpuVendor::Nvidia));
    EXPECT_FALSE(gpu_detection().tuning_busy.load());
}

TEST_F(GpuSetup, tune_now_applies_every_vendor_present_and_leaves_the_screen_record_alone) {
    const std::string amd = add_adapter(fake, "0000", "AMD Radeon RX 6700 XT");
    const std::string intel = add_adapter(fake, "0001", "Intel(R) UHD Graphics 620");
    set_gpu_worker_starter(test::run_in_place);
    gpu_detection().adapter_display_name = "on screen";
    ASSERT_TRUE(start_tune_now(GpuVendor::Unknown));
    EXPECT_EQ(fake.registry().dword(amd, "EnableUlps"), 0u);
    EXPECT_EQ(fake.registry().dword(intel, "PanelSelfRefreshOff"), 1u);
    EXPECT_FALSE(nvidia_profile_applied());
    EXPECT_TRUE(hags_on());
    EXPECT_FALSE(gpu_detection().tuning_busy.load());
    EXPECT_EQ(gpu_detection().adapter_display_name, "on screen");
    EXPECT_EQ(remembered_vendor(), GpuVendor::Unknown) << "takes effect at the next start";
}

} // namespace
} // namespace tavrine
