// The "Device Parameters" walk and the USB visitors on a real key tree. The walk reads
// HKEY_LOCAL_MACHINE-relative paths, so the tree is built under HKLM\SOFTWARE\TavrineTest
// instead of the prefix's own Enum keys.
#include "engine/primitives.h"
#include "tweaks/latency.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace tavrine::test {
namespace {

constexpr std::array kSuspendValues = {"SelectiveSuspendOn", "SelectiveSuspendEnabled",
                                       "EnhancedPowerManagementEnabled", "AllowIdleIrpInD3",
                                       "DeviceSelectiveSuspended"};

class RealDeviceWalk : public RealMachineTest {
protected:
    // Creates `relative` (below the scratch root) with a marker value, so the key exists.
    void make_key(const std::string& relative) {
        write_dword((scratch.path() + "\\" + relative).c_str(), "Present", 1);
    }

    std::string sub_key(const std::string& relative) const { return scratch.sub_key() + "\\" + relative; }

    // True when all five values are REG_DWORD 0; false when none is there; a mix fails the test.
    bool has_suspend_values(const std::string& relative) {
        int found = 0;
        for (const char* name : kSuspendValues) {
            const auto value = read_value(Hive::LocalMachine, sub_key(relative), name);
            if (!value) {
                continue;
            }
            ++found;
            EXPECT_EQ(value->type, kRegDword) << relative << " " << name;
            EXPECT_EQ(value->data, (std::vector<std::uint8_t>{0, 0, 0, 0})) << relative << " " << name;
        }
        EXPECT_TRUE(found == 0 || found == 5) << relative << " has " << found << " of the five values";
        return found == 5;
    }

    ScratchKey scratch{Hive::LocalMachine, "SOFTWARE"};
};

TEST_F(RealDeviceWalk, every_device_parameters_key_under_usb_gets_the_five_zero_values) {
    make_key("Enum\\USB\\VID_046D&PID_C08B\\6&1a2b\\Device Parameters");
    make_key("Enum\\USB\\ROOT_HUB30\\4&2c3d\\Device Parameters");
    make_key("Enum\\USB\\ROOT_HUB30\\4&2c3d\\Properties");
    make_key("Enum\\USB\\VID_1532\\7&9\\DEVICE PARAMETERS"); // the name matches in any case

    find_subkeys_named(sub_key("Enum\\USB").c_str(), 0, write_usb_suspend_values);

    EXPECT_TRUE(has_suspend_values("Enum\\USB\\VID_046D&PID_C08B\\6&1a2b\\Device Parameters"));
    EXPECT_TRUE(has_suspend_values("Enum\\USB\\ROOT_HUB30\\4&2c3d\\Device Parameters"));
    EXPECT_TRUE(has_suspend_values("Enum\\USB\\VID_1532\\7&9\\DEVICE PARAMETERS"));
    EXPECT_FALSE(has_suspend_values("Enum\\USB\\ROOT_HUB30\\4&2c3d\\Properties"));
}

TEST_F(RealDeviceWalk, reaches_eight_levels_below_the_root_and_no_further) {
    std::string chain = "Enum\\USB";
    for (int level = 1; level <= 7; ++level) {
        chain += "\\L" + std::to_string(level);
    }
    make_key(chain + "\\Device Parameters");              // eight levels below the root
    make_key(chain + "\\L8\\Device Parameters");          // nine
    make_key("Enum\\USB\\L1\\L2\\L3\\Device Parameters"); // four, beside the deep chain

    find_subkeys_named(sub_key("Enum\\USB").c_str(), 0, write_usb_suspend_values);

    EXPECT_TRUE(has_suspend_values(chain + "\\Device Parameters"));
    EXPECT_FALSE(has_suspend_values(chain + "\\L8\\Device Parameters"));
    EXPECT_TRUE(has_suspend_values("Enum\\USB\\L1\\L2\\L3\\Device Parameters"));
}

TEST_F(RealDeviceWalk, never_descends_below_a_device_parameters_key) {
    make_key("Enum\\USBSTOR\\Disk\\1\\Device Parameters\\Partmgr\\Device Parameters");

    find_subkeys_named(sub_key("Enum\\USBSTOR").c_str(), 0, write_usb_suspend_values);

    EXPECT_TRUE(has_suspend_values("Enum\\USBSTOR\\Disk\\1\\Device Parameters"));
    EXPECT_FALSE(has_suspend_values("Enum\\USBSTOR\\Disk\\1\\Device Parameters\\Partmgr\\Device Parameters"));
}

TEST_F(RealDeviceWalk, pci_visitor_touches_only_paths_that_contain_usb_in_any_case) {
    make_key("Enum\\PCI\\VEN_8086&DEV_A36D&CC_0C0330_USB\\3&11\\Device Parameters");
    make_key("Enum\\PCI\\ven_1b21&dev_2142&usb3\\4&22\\Device Parameters");
    make_key("Enum\\PCI\\VEN_10DE&DEV_1E84\\4&33\\Device Parameters");
    make_key("Enum\\PCI\\VEN_8086&DEV_15B8\\UsbPort\\Device Parameters");

    find_subkeys_named(sub_key("Enum\\PCI").c_str(), 0, write_usb_suspend_values_if_usb);

    EXPECT_TRUE(has_suspend_values("Enum\\PCI\\VEN_8086&DEV_A36D&CC_0C0330_USB\\3&11\\Device Parameters"));
    EXPECT_TRUE(has_suspend_values("Enum\\PCI\\ven_1b21&dev_2142&usb3\\4&22\\Device Parameters"));
    EXPECT_TRUE(has_suspend_values("Enum\\PCI\\VEN_8086&DEV_15B8\\UsbPort\\Device Parameters"));
    EXPECT_FALSE(has_suspend_values("Enum\\PCI\\VEN_10DE&DEV_1E84\\4&33\\Device Parameters"));
}

TEST_F(RealDeviceWalk, a_missing_root_is_walked_as_empty_and_left_missing) {
    find_subkeys_named(sub_key("Enum\\USB").c_str(), 0, write_usb_suspend_values);
    EXPECT_FALSE(key_exists(Hive::LocalMachine, sub_key("Enum")));
    EXPECT_FALSE(key_exists(Hive::LocalMachine, scratch.sub_key()));
}

} // namespace
} // namespace tavrine::test
