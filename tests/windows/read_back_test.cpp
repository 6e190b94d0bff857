// What the preview reads back from the real machine to tell a change already made: service
// states, system parameters through their get twins, and registry values written before.
#include "engine/primitives.h"
#include "platform/recording/recording_machine.h"
#include "tweaks/latency.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

namespace tavrine::test {
namespace {

class ReadBack : public RealMachineTest {};

TEST_F(ReadBack, a_missing_service_reads_as_absent_and_a_present_one_with_its_start_type) {
    Services& services = current_machine().services();
    const auto missing = services.query_service("TavrineNoSuchService");
    ASSERT_TRUE(missing.has_value());
    EXPECT_FALSE(missing->exists);
    const auto rpc = services.query_service("RpcSs"); // always there, started on demand by Wine
    ASSERT_TRUE(rpc.has_value());
    EXPECT_TRUE(rpc->exists);
    EXPECT_LE(rpc->start_type, 4u);
}

TEST_F(ReadBack, a_keyboard_speed_set_through_the_machine_reads_back_through_its_get_action) {
    SystemSettings& settings = current_machine().system_settings();
    ASSERT_TRUE(settings.system_parameters(0x0B, 31, {}, 0)); // SPI_SETKEYBOARDSPEED
    const auto speed = settings.read_parameters(0x0A, 0, {0});
    ASSERT_TRUE(speed.has_value());
    EXPECT_EQ(*speed, std::vector<std::uint32_t>{31});
}

// Takes the four values away again, so the checks that run after this stage (in the same prefix)
// start from a fresh one's registry whatever this case left.
struct NotificationValuesRemoved {
    ~NotificationValuesRemoved() {
        Registry& registry = current_machine().registry();
        const auto remove = [&](Hive hive, const char* sub_key, std::initializer_list<const char*> names) {
            if (auto key = registry.open_key(hive, sub_key, KeyAccess::ReadWrite)) {
                for (const char* name : names) {
                    key->delete_value(name);
                }
            }
        };
        remove(Hive::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\PushNotifications",
               {"ToastEnabled"});
        remove(Hive::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Notifications\\Settings",
               {"NOC_GLOBAL_SETTING_TOASTS_ENABLED", "NOC_GLOBAL_SETTING_ALLOW_NOTIFICATION_SOUND"});
        remove(Hive::LocalMachine, "SOFTWARE\\Policies\\Microsoft\\Windows\\Explorer",
               {"DisableNotificationCenter"});
    }
};

TEST_F(ReadBack, a_plan_after_the_routine_marks_its_registry_writes_already) {
    const NotificationValuesRemoved afterwards;
    apply_notifications_off();
    RecordingMachine recorder(current_machine());
    {
        ScopedThreadMachine scope(recorder);
        apply_notifications_off();
    }
    const auto lines = recorder.plan_lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(std::all_of(lines.begin(), lines.end(), [](const PlanLine& line) {
        return line.mark == PlanMark::Already;
    })) << lines.front().text;
}

} // namespace
} // namespace tavrine::test
