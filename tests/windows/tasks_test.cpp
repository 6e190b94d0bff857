// The real Task Scheduler backend under Wine: a task registered from a definition in memory
// exists, leaves no file in a temporary folder, and is gone once deleted.

#include "engine/start_with_windows.h"
#include "platform/machine.h"
#include "platform/tasks.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tavrine {
namespace {

namespace fs = std::filesystem;

constexpr char kTestTask[] = "TavrineTasksTest";

// Files of the Windows and the user's temporary folder whose name holds ".xml".
std::size_t temp_definitions() {
    std::size_t count = 0;
    for (const char* variable : {"SystemRoot", "TEMP"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr) {
            continue;
        }
        fs::path folder = std::string(variable) == "SystemRoot" ? fs::path(value) / "Temp" : fs::path(value);
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            count += entry.path().filename().string().find(".xml") != std::string::npos ? 1 : 0;
        }
    }
    return count;
}

class RealTasks : public test::RealMachineTest {
protected:
    ~RealTasks() override { current_machine().tasks().delete_task(kTestTask); }
    Tasks& tasks() { return current_machine().tasks(); }
};

TEST_F(RealTasks, a_task_registered_from_memory_exists_until_deleted_and_leaves_no_file_in_temp) {
    tasks().delete_task(kTestTask);
    ASSERT_FALSE(tasks().task_exists(kTestTask));
    const std::size_t before = temp_definitions();

    const std::optional<std::string> xml = startup_task_xml("C:\\tavrine\\TavrineOptimiser.exe");
    ASSERT_TRUE(xml.has_value());
    ASSERT_TRUE(tasks().register_task_xml(kTestTask, *xml));
    EXPECT_TRUE(tasks().task_exists(kTestTask));
    EXPECT_EQ(temp_definitions(), before);

    EXPECT_TRUE(tasks().delete_task(kTestTask));
    EXPECT_FALSE(tasks().task_exists(kTestTask));
    EXPECT_FALSE(tasks().delete_task(kTestTask));
}

} // namespace
} // namespace tavrine
