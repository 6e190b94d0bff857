// The sensors behind the HUD on the fake machine: which GPU source answers, how the engine
// counters are read, video memory, CPU load and clocks, the ping worker, and closing.

#include "overlays/sensors.h"
#include "overlays/sensors_testing.h"
#include "tests/native/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tavrine {
namespace {

constexpr std::uint32_t kLoopback = 0x0100007f;
constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;

class SensorsTest : public test::EngineTest {
protected:
    SensorsTest() {
        sensor_readings() = SensorReadings{};
        set_ping_address_for_tests(kLoopback);
    }
    ~SensorsTest() override { close_sensors(); }

    FakeSensors& sensors() { return fake.sensors(); }
    bool logged(const std::string& line) {
        const auto log = sensors().log();
        return std::find(log.begin(), log.end(), line) != log.end();
    }
};

std::vector<EngineUtilisation> engines_3d_10_35_copy_80() {
    return {{"pid_1_luid_0x0_phys_0_eng_0_engtype_3D", 10, true},
            {"pid_2_luid_0x0_phys_0_eng_0_engtype_3D", 35, true},
            {"pid_2_luid_0x0_phys_0_eng_2_engtype_Copy", 80, true}};
}

TEST_F(SensorsTest, without_vendor_libraries_pdh_answers_from_the_second_poll_with_the_busiest_3d_engine) {
    sensors().set_video_adapter("Test Adapter", VideoMemory{2 * kGiB, 8 * kGiB});
    sensors().set_engine_counter(engines_3d_10_35_copy_80());

    poll_gpu();
    EXPECT_EQ(sensor_readings().gpu_load, -1);
    EXPECT_EQ(sensor_readings().gpu_source, "DXGI");
    poll_gpu();
    EXPECT_EQ(sensor_readings().gpu_load, 35);
    EXPECT_EQ(sensor_readings().gpu_source, "PDH");
    EXPECT_EQ(sensor_readings().gpu_name, "Test Adapter");
    EXPECT_FLOAT_EQ(sensor_readings().vram_total_gb, 8);

    // Tried once each, in order; the libraries are not tried again on the next poll.
    EXPECT_EQ(sensors().log(),
              (std::vector<std::string>{"open dxgi", "open nvml failed", "open adl failed", "open pdh"}));
}

TEST_F(SensorsTest, nvml_answers_first_with_temperature_and_both_clocks_and_adl_is_never_tried) {
    sensors().set_nvml(GpuSample{"NVIDIA Test", 64.0f, 1800, 7000, 55.0f});
    sensors().set_adl(GpuSample{std::nullopt, 90.0f, 1, 1, 99.0f});
    poll_gpu();
    const SensorReadings& r = sensor_readings();
    EXPECT_EQ(r.gpu_source, "NVML");
    EXPECT_EQ(r.gpu_name, "NVIDIA Test");
    EXPECT_EQ(r.gpu_temperature, 64);
    EXPECT_EQ(r.gpu_core_clock, 1800);
    EXPECT_EQ(r.gpu_memory_clock, 7000);
    EXPECT_EQ(r.gpu_load, 55);
    EXPECT_FALSE(logged("open adl"));
}

TEST_F(SensorsTest, adl_answers_when_nvml_is_missing) {
    sensors().set_adl(GpuSample{std::nullopt, 71.0f, 2100, 1000, 40.0f});
    sensors().set_engine_counter(engines_3d_10_35_copy_80());
    poll_gpu();
    EXPECT_EQ(sensor_readings().gpu_source, "ADL");
    EXPECT_EQ(sensor_readings().gpu_load, 40);
    EXPECT_FALSE(logged("open pdh"));
}

TEST_F(SensorsTest, busiest_engine_falls_back_to_any_valid_engine_and_skips_invalid_ones) {
    const std::vector<EngineUtilisation> engines{{"eng_0_engtype_3D", 90, false},
                                                 {"eng_1_engtype_VideoDecode", 20, true},
                                                 {"eng_2_engtype_Copy", 45, true}};
    EXPECT_EQ(busiest_gpu_engine(engines), 45);
    EXPECT_EQ(busiest_gpu_engine({}), -1);
}

TEST_F(SensorsTest, a_video_budget_below_usage_shows_total_equal_to_used) {
    sensors().set_video_adapter("Test Adapter", VideoMemory{3 * kGiB, 2 * kGiB});
    poll_gpu();
    EXPECT_FLOAT_EQ(sensor_readings().vram_used_gb, 3);
    EXPECT_FLOAT_EQ(sensor_readings().vram_total_gb, 3);
}

TEST_F(SensorsTest, cpu_load_is_the_busy_share_since_the_previous_poll_and_clocks_average_the_processors) {
    fake.system_state().set_system_times(SystemTimes{100, 400, 100});
    fake.system_state().set_memory_status(MemoryStatus{16 * kGiB, 4 * kGiB, 75});
    sensors().set_processor_clocks(std::vector<ProcessorClock>{{4800, 3000}, {5000, 3601}});
    poll_cpu_and_memory();
    fake.system_state().set_system_times(SystemTimes{175, 600, 200}); // 75 idle of 300
    poll_cpu_and_memory();
    const SensorReadings& r = sensor_readings();
    EXPECT_FLOAT_EQ(r.cpu_load, 75);
    EXPECT_EQ(r.cpu_clock_max, 5000);
    EXPECT_EQ(r.cpu_clock_now, 3300);
    EXPECT_FLOAT_EQ(r.ram_used_gb, 12);
    EXPECT_FLOAT_EQ(r.ram_load, 75);

    // Counters that went backwards (a wrapped or reset counter) never read as a load past 100 %.
    fake.system_state().set_system_times(SystemTimes{10, 700, 300});
    poll_cpu_and_memory();
    EXPECT_GE(sensor_readings().cpu_load, 0);
    EXPECT_LE(sensor_readings().cpu_load, 100);
}

TEST_F(SensorsTest, ping_shows_the_last_echo_answer_and_only_ever_echoes_the_set_address) {
    sensors().set_icmp(true, 12);
    poll_ping();
    EXPECT_EQ(sensor_readings().ping_ms, -1); // nothing answered yet: the poll never waits
    ASSERT_TRUE(wait_for_ping_for_tests());
    poll_ping();
    EXPECT_EQ(sensor_readings().ping_ms, 12);
    ASSERT_TRUE(wait_for_ping_for_tests());
    const auto echoed = sensors().echoed_addresses();
    ASSERT_EQ(echoed.size(), 2u);
    EXPECT_TRUE(std::all_of(echoed.begin(), echoed.end(), [](std::uint32_t a) { return a == kLoopback; }));
}

TEST_F(SensorsTest, closing_closes_every_source_and_the_next_poll_opens_them_afresh) {
    sensors().set_video_adapter("Test Adapter", VideoMemory{kGiB, 4 * kGiB});
    sensors().set_nvml(GpuSample{});
    sensors().set_icmp(true, 5);
    poll_gpu();
    poll_ping();
    ASSERT_TRUE(wait_for_ping_for_tests());
    EXPECT_EQ(sensors().open_sources(), 3);
    EXPECT_TRUE(sensors_open());

    close_sensors();
    EXPECT_EQ(sensors().open_sources(), 0);
    EXPECT_FALSE(sensors_open());

    poll_gpu();
    const auto log = sensors().log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "open nvml"), 2);
}

} // namespace
} // namespace tavrine
