// The real sensors under Wine: a vendor library is used from its install folder and never from
// beside the program, and left for the next source when it is gone; the ping's echo answers
// from the loopback address.

#include "overlays/sensors.h"
#include "overlays/sensors_testing.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "tests/windows/windows_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tavrine {
namespace {

namespace fs = std::filesystem;

class SensorsMachineTest : public test::RealMachineTest {
protected:
    SensorsMachineTest() {
        close_sensors();
        sensor_readings() = SensorReadings{};
    }
    ~SensorsMachineTest() override {
        close_sensors();
        set_ping_address_for_tests(kPingAddress);
        std::error_code ignored;
        fs::remove(beside_program(), ignored);
        fs::remove(install_folder() / "nvml.dll", ignored);
    }
    // The runner starts in its own folder (C:\tavrine), where a planted library would sit.
    static fs::path beside_program() { return fs::current_path() / "nvml.dll"; }
    // Where the driver's older installs put it, inside the prefix.
    static fs::path install_folder() {
        return fs::path(*current_machine().files().known_folder(KnownFolder::ProgramFiles)) /
               "NVIDIA Corporation" / "NVSMI";
    }
};

TEST_F(SensorsMachineTest, nvml_answers_from_its_install_folder_never_from_beside_the_program) {
    const fs::path stand_in = fs::current_path() / "stand-ins" / "nvml.dll";
    ASSERT_TRUE(fs::exists(stand_in)) << stand_in;
    fs::copy_file(stand_in, beside_program(), fs::copy_options::overwrite_existing);
    poll_gpu();
    EXPECT_NE(sensor_readings().gpu_source, "NVML") << "a library planted beside the program was loaded";
    close_sensors();

    fs::create_directories(install_folder());
    fs::copy_file(stand_in, install_folder() / "nvml.dll", fs::copy_options::overwrite_existing);
    poll_gpu();
    const SensorReadings& r = sensor_readings();
    EXPECT_EQ(r.gpu_source, "NVML");
    EXPECT_EQ(r.gpu_name, "Stand-in GPU");
    EXPECT_EQ(r.gpu_temperature, 66);
    EXPECT_EQ(r.gpu_core_clock, 1710);
    EXPECT_EQ(r.gpu_memory_clock, 7000);
    EXPECT_EQ(r.gpu_load, 44);

    close_sensors(); // unloads the library, so it can go
    ASSERT_TRUE(fs::remove(install_folder() / "nvml.dll"));
    poll_gpu();
    poll_gpu();
    EXPECT_NE(r.gpu_source, "NVML");
    EXPECT_FALSE(r.gpu_source.empty());
}

TEST_F(SensorsMachineTest, ping_echo_answers_from_the_loopback_address) {
    set_ping_address_for_tests(0x0100007f); // 127.0.0.1
    poll_ping();
    ASSERT_TRUE(wait_for_ping_for_tests());
    poll_ping();
    EXPECT_GE(sensor_readings().ping_ms, 0);
}

} // namespace
} // namespace tavrine
