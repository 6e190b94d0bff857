// The first-launch operations and "Tune GPU now": the vendor threads, what they apply, and the
// record they leave.

#include "engine/run_status.h"
#include "engine/worker_gate.h"
#include "tests/native/gpu_test_support.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tavrine {
namespace {

using test::add_adapter;

constexpr const char* kGraphicsDrivers = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers";

class GpuSetup : public test::EngineTest {
protected:
    bool nvidia_profile_applied() { return fake.registry().dword(kGraphicsDrivers, "TdrDelay") == 10u; }
    bool hags_on() { return fake.registry().dword(kGraphicsDrivers, "HwSchMode") == 2u; }
};

// [The record]

constexpr const char* kRecord = "C:\\Users\\Player\\AppData\\Roaming\\Tavrine\\gpu_first.cfg";
constexpr const char* kLegacyRecord = "C:\\Users\\Player\\AppData\\Roaming\\Dunmarrow\\gpu_first.cfg";

TEST_F(GpuSetup, a_record_naming_amd_is_remembered_and_one_naming_vendor_7_only_ends_the_first_launch) {
    EXPECT_TRUE(is_first_launch());
    fake.files().add_text_file(kRecord, "1\r\n2\r\nAMD Radeon RX 7600\r\n");
    load_remembered_vendor();
    EXPECT_EQ(remembered_vendor(), GpuVendor::Amd);

    test::reset_gpu_setup();
    fake.files().add_text_file(kRecord, "1\r\n7\r\nSome card\r\n");
    load_remembered_vendor();
    EXPECT_EQ(remembered_vendor(), GpuVendor::Unknown);
    EXPECT_FALSE(is_first_launch());

    for (const char* malformed : {"", "0\n1\n", "1\nNVIDIA\n",
                                  "\xff\xfe"
                                  "1\n1"}) {
        fake.files().add_text_file(kRecord, malformed);
        load_remembered_vendor();
        EXPECT_EQ(remembered_vendor(), GpuVendor::Unknown) << malformed;
    }
}

TEST_F(GpuSetup, the_earlier_products_record_is_read_and_the_next_save_goes_to_ours) {
    fake.files().add_text_file(kLegacyRecord, "1\r\n3\r\nIntel(R) Arc(TM) A750\r\n");
    EXPECT_FALSE(is_first_launch());
    load_remembered_vendor();
    EXPECT_EQ(remembered_vendor(), GpuVendor::Intel);

    ASSERT_TRUE(save_vendor_record(GpuVendor::Nvidia, "NVIDIA GeForce RTX 4070"));
    EXPECT_EQ(fake.files().entry(kRecord)->content, "1\r\n1\r\nNVIDIA GeForce RTX 4070\r\n");
    EXPECT_EQ(fake.files().entry(kLegacyRecord)->content, "1\r\n3\r\nIntel(R) Arc(TM) A750\r\n");

    forget_vendor_record();
    EXPECT_FALSE(fake.files().exists(kRecord));
    EXPECT_FALSE(fake.files().exists(kLegacyRecord));
    EXPECT_TRUE(is_first_launch());
}

TEST_F(GpuSetup, a_failed_save_leaves_the_previous_record_whole) {
    ASSERT_TRUE(save_vendor_record(GpuVendor::Amd, "AMD Radeon RX 6800"));
    fake.files().fail_writes(true);
    EXPECT_FALSE(save_vendor_record(GpuVendor::Nvidia, "NVIDIA GeForce RTX 4090"));
    EXPECT_EQ(fake.files().entry(kRecord)->content, "1\r\n2\r\nAMD Radeon RX 6800\r\n");
}

TEST_F(GpuSetup, a_record_forgotten_while_tune_now_runs_stays_forgotten) {
    add_adapter(fake, "0000", "NVIDIA GeForce RTX 4070");
    ASSERT_TRUE(save_vendor_record(GpuVendor::Nvidia, "NVIDIA GeForce RTX 4070"));
    static std::function<void()> held;
    set_gpu_worker_starter([](std::function<void()> job) {
        held = std::move(job);
        return true;
    });
    ASSERT_TRUE(start_tune_now(GpuVendor::Nvidia));
    reset_first_launch(); // "Show setup next launch" while the worker is still busy
    held();
    held = nullptr;
    EXPECT_TRUE(is_first_launch());
    EXPECT_FALSE(gpu_detection().tuning_busy.load());
}

// [The vendor threads]

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
    {
        const WorkerTicket run = admit_worker(WorkerKind::Pipeline);
        ASSERT_TRUE(run);
        EXPECT_FALSE(start_tune_now(GpuVendor::Nvidia));
    }
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
    EXPECT_EQ(fake.files().entry(kRecord)->content, "1\r\n2\r\nAMD Radeon RX 6700 XT\r\n");
    EXPECT_EQ(remembered_vendor(), GpuVendor::Unknown) << "takes effect at the next start";
}

} // namespace
} // namespace tavrine
