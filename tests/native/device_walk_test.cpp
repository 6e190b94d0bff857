#include "engine/primitives.h"
#include "tests/native/test_support.h"
#include "tweaks/latency.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrine {
namespace {

// The walk is observed through the real visitor: a visited key ends up with
// "SelectiveSuspendOn" = 0, an unvisited one does not.
class DeviceWalk : public test::EngineTest {
protected:
    static constexpr const char* kRoot = "SYSTEM\\CurrentControlSet\\Enum\\USB";

    // A chain of `levels` keys under the root, the last one named "Device Parameters".
    std::string device_parameters_at(int levels, const std::string& tag) {
        std::string path = std::string("HKLM\\") + kRoot;
        for (int level = 1; level < levels; ++level) {
            path += "\\" + tag + std::to_string(level);
        }
        path += "\\Device Parameters";
        fake.registry().add_key(path);
        return path;
    }

    bool visited(const std::string& path) { return fake.registry().dword(path, "SelectiveSuspendOn") == 0u; }

    void walk() { find_subkeys_named(kRoot, 0, write_usb_suspend_values); }

    bool untouched_below(const std::string& path) {
        return !fake.registry().has_value(path + "\\Device Parameters", "SelectiveSuspendOn");
    }
};

TEST_F(DeviceWalk, visits_device_parameters_keys_up_to_eight_levels_below_the_root) {
    const std::string first = device_parameters_at(1, "a");
    const std::string third = device_parameters_at(3, "b");
    const std::string eighth = device_parameters_at(8, "c");
    const std::string ninth = device_parameters_at(9, "d");
    walk();
    EXPECT_TRUE(visited(first));
    EXPECT_TRUE(visited(third));
    EXPECT_TRUE(visited(eighth));
    EXPECT_FALSE(visited(ninth));
    EXPECT_FALSE(fake.registry().has_value(ninth, "AllowIdleIrpInD3"));
}

TEST_F(DeviceWalk, never_descends_below_a_device_parameters_key) {
    const std::string outer = device_parameters_at(3, "a");
    const std::string inner = outer + "\\Device Parameters";
    const std::string deeper = outer + "\\Child\\Device Parameters";
    fake.registry().add_key(inner);
    fake.registry().add_key(deeper);
    walk();
    EXPECT_TRUE(visited(outer));
    EXPECT_FALSE(visited(inner));
    EXPECT_FALSE(visited(deeper));
}

TEST_F(DeviceWalk, matches_the_key_name_in_any_letter_case) {
    const std::string lower = std::string("HKLM\\") + kRoot + "\\VID_1\\inst\\device parameters";
    const std::string upper = std::string("HKLM\\") + kRoot + "\\VID_2\\inst\\DEVICE PARAMETERS";
    const std::string other = std::string("HKLM\\") + kRoot + "\\VID_3\\inst\\Device Parameters2";
    fake.registry().add_key(lower);
    fake.registry().add_key(upper);
    fake.registry().add_key(other);
    walk();
    EXPECT_TRUE(visited(lower));
    EXPECT_TRUE(visited(upper));
    EXPECT_FALSE(visited(other));
}

TEST_F(DeviceWalk, a_key_that_refuses_access_is_skipped_and_its_siblings_still_visited) {
    const std::string locked = std::string("HKLM\\") + kRoot + "\\VID_1\\inst\\Device Parameters";
    const std::string open = std::string("HKLM\\") + kRoot + "\\VID_2\\inst\\Device Parameters";
    fake.registry().add_key(locked);
    fake.registry().add_key(open);
    fake.registry().deny(locked);
    walk();
    EXPECT_FALSE(visited(locked));
    EXPECT_TRUE(visited(open));
}

TEST_F(DeviceWalk, a_missing_root_or_null_root_does_nothing) {
    find_subkeys_named("SYSTEM\\NoSuchTree", 0, write_usb_suspend_values);
    find_subkeys_named(nullptr, 0, write_usb_suspend_values);
    EXPECT_EQ(fake.registry().key_count(), 0u);
    EXPECT_TRUE(fake.journal().empty());
}

// A path that does not fit the walk's 768-byte buffer must not be cut short: cut, it names
// another key (here the device's own instance key), which would get the five values instead.
TEST_F(DeviceWalk, a_path_too_long_for_the_buffer_is_skipped_not_cut_short) {
    const std::string instance = std::string("HKLM\\") + kRoot + "\\" + std::string(250, 'a') + "\\" +
                                 std::string(250, 'b') + "\\" + std::string(231, 'c');
    ASSERT_EQ(instance.size() - 5, 767u); // the sub-key alone fills the buffer
    fake.registry().add_key(instance + "\\Device Parameters");
    const std::string fits = device_parameters_at(2, "short");
    walk();
    EXPECT_FALSE(fake.registry().has_value(instance, "SelectiveSuspendOn"));
    EXPECT_TRUE(untouched_below(instance));
    EXPECT_TRUE(visited(fits));
}

TEST_F(DeviceWalk, visits_in_the_registrys_sorted_order) {
    const std::string b = std::string("HKLM\\") + kRoot + "\\b\\Device Parameters";
    const std::string a = std::string("HKLM\\") + kRoot + "\\A\\Device Parameters";
    fake.registry().add_key(b);
    fake.registry().add_key(a);
    walk();
    const auto journal = fake.journal();
    ASSERT_EQ(journal.size(), 10u); // five values per key
    EXPECT_NE(journal.front().find("\\A\\Device Parameters"), std::string::npos) << journal.front();
    EXPECT_NE(journal.back().find("\\b\\Device Parameters"), std::string::npos) << journal.back();
}

} // namespace
} // namespace tavrine
