// What the pages read from the real machine in the Wine prefix: the running executables for
// the process pickers, the system times and memory load for the Overview, the drives for the
// Cleanup picker.

#include "platform/files.h"
#include "platform/processes.h"
#include "platform/system_state.h"
#include "process/running_exes.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavrine {
namespace {

class PagesMachineTest : public test::RealMachineTest {};

TEST_F(PagesMachineTest, running_exe_names_lists_this_runner_once_in_byte_order) {
    const std::vector<std::string> names = running_exe_names();
    ASSERT_FALSE(names.empty());
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    EXPECT_EQ(std::count(names.begin(), names.end(), "tavrine_win_tests.exe"), 1);
}

TEST_F(PagesMachineTest, the_own_process_is_listed_by_id_and_named_by_its_first_module) {
    Processes& processes = current_machine().processes();
    const std::vector<std::uint32_t> ids = processes.process_ids();
    const std::uint32_t own = processes.current_process_id();
    EXPECT_NE(std::find(ids.begin(), ids.end(), own), ids.end());
    EXPECT_LE(ids.size(), kMaxListedProcesses);
    EXPECT_EQ(processes.main_module_name(own), "tavrine_win_tests.exe");
    EXPECT_EQ(processes.main_module_name(0xFFFFFFF0u), std::nullopt); // no such process
}

TEST_F(PagesMachineTest, system_times_move_forward_and_memory_load_is_a_percentage) {
    SystemState& system = current_machine().system_state();
    const std::optional<SystemTimes> first = system.system_times();
    ASSERT_TRUE(first.has_value());
    volatile unsigned long spin = 0;
    for (unsigned long i = 0; i < 50000000ul; ++i) {
        spin = spin + i;
    }
    const std::optional<SystemTimes> second = system.system_times();
    ASSERT_TRUE(second.has_value());
    EXPECT_GE(second->kernel + second->user, first->kernel + first->user);
    const std::optional<MemoryStatus> memory = system.memory_status();
    ASSERT_TRUE(memory.has_value());
    EXPECT_LE(memory->load_percent, 100u);
}

TEST_F(PagesMachineTest, drive_c_is_a_fixed_drive_the_cleanup_picker_offers) {
    Files& files = current_machine().files();
    EXPECT_NE(files.logical_drives() & (1u << 2), 0u);
    EXPECT_EQ(files.drive_type("C:\\"), DriveType::Fixed);
}

} // namespace
} // namespace tavrine
