// Which adapter is proposed, and what each vendor's profile and the MSI walk write on the fake.

#include "gpu/display_adapters.h"
#include "tests/native/gpu_test_support.h"
#include "tests/native/test_support.h"
#include "tweaks/gpu_vendor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tavrine::test {
const char* golden_gpu_vendor_profiles(); // generated from golden/gpu_vendor_profiles.txt
}

namespace tavrine {
namespace {

using test::add_adapter;
using test::add_pci_device;
using test::msi_enabled;

class GpuAdapters : public test::EngineTest {
protected:
    // First journal line mentioning `text`; the journal's size when there is none.
    std::size_t first_line_with(const std::string& text) {
        const std::vector<std::string> journal = fake.journal();
        const auto it = std::find_if(journal.begin(), journal.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
        return static_cast<std::size_t>(it - journal.begin());
    }
    std::size_t last_line_with(const std::string& text) {
        const std::vector<std::string> journal = fake.journal();
        for (std::size_t i = journal.size(); i > 0; --i) {
            if (journal[i - 1].find(text) != std::string::npos) {
                return i - 1;
            }
        }
        return journal.size();
    }
};

// [Classification]

TEST_F(GpuAdapters, intel_graphics_beside_an_nvidia_card_proposes_the_nvidia_card_by_its_description) {
    add_adapter(fake, "0000", "Intel(R) UHD Graphics 770");
    add_adapter(fake, "0001", "NVIDIA GeForce RTX 4070");
    const AdapterClassification found = classify_adapters();
    EXPECT_EQ(found.chosen, GpuVendor::Nvidia);
    EXPECT_EQ(found.chosen_name, "NVIDIA GeForce RTX 4070");
    EXPECT_EQ(found.presence_mask, kNvidiaBit | kIntelBit);
}

TEST_F(GpuAdapters, nvidia_wins_over_amd_and_both_are_seen) {
    add_adapter(fake, "0000", "AMD Radeon RX 7800 XT");
    add_adapter(fake, "0001", "NVIDIA GeForce RTX 3060");
    const AdapterClassification found = classify_adapters();
    EXPECT_EQ(found.chosen, GpuVendor::Nvidia);
    EXPECT_EQ(found.presence_mask, kNvidiaBit | kAmdBit);
}

TEST_F(GpuAdapters, nothing_recognised_is_vendor_0_named_graphics_adapter_and_only_adapter_keys_count) {
    add_adapter(fake, "0000", "Microsoft Basic Display Adapter");
    add_adapter(fake, "Properties", "NVIDIA GeForce RTX 4090"); // not an adapter instance
    add_adapter(fake, "00000", "NVIDIA GeForce RTX 4090");
    const AdapterClassification found = classify_adapters();
    EXPECT_EQ(found.chosen, GpuVendor::Unknown);
    EXPECT_EQ(found.chosen_name, "Graphics adapter");
    EXPECT_EQ(found.presence_mask, 0);
}

TEST_F(GpuAdapters, arc_is_intel_and_a_card_named_amd_radeon_counts_once_keeping_the_first_description) {
    add_adapter(fake, "0000", "Intel(R) Arc(TM) A770 Graphics");
    add_adapter(fake, "0001", "AMD Radeon RX 6600");
    add_adapter(fake, "0002", "AMD Radeon RX 580");
    const AdapterClassification found = classify_adapters();
    EXPECT_EQ(found.presence_mask, kAmdBit | kIntelBit);
    EXPECT_EQ(found.chosen, GpuVendor::Amd);
    EXPECT_EQ(found.chosen_name, "AMD Radeon RX 6600");
    EXPECT_EQ(found.first_description[2], "Intel(R) Arc(TM) A770 Graphics");
}

TEST_F(GpuAdapters, a_matching_adapter_with_an_unreadable_description_is_named_by_its_vendor) {
    add_adapter(fake, "0000", std::string(300, 'A') + " NVIDIA"); // too long for the read buffer
    add_adapter(fake, "0001", "Intel(R) Iris(R) Xe Graphics");
    const AdapterClassification found = classify_adapters();
    EXPECT_EQ(found.chosen, GpuVendor::Intel);
    EXPECT_EQ(found.chosen_name, "Intel(R) Iris(R) Xe Graphics");
}

// [Vendor bodies]

TEST_F(GpuAdapters, vendor_0_applies_the_nvidia_body_then_the_intel_body_then_the_msi_walk) {
    const std::string intel = add_adapter(fake, "0000", "Intel(R) UHD Graphics 630");
    const std::string nvidia = add_adapter(fake, "0001", "NVIDIA GeForce GTX 1660");
    const std::string gpu = add_pci_device(fake, "VEN_10DE&DEV_2186&SUBSYS_00000000&REV_A1\\4&1",
                                           "PCI\\VEN_10DE&DEV_2186", "PCI\\VEN_10DE&CC_030000");
    apply_gpu_vendor_profile(GpuVendor::Unknown);

    EXPECT_EQ(fake.registry().dword(nvidia, "PowerMizerEnable"), 1u);
    EXPECT_EQ(fake.registry().dword(intel, "PanelSelfRefreshOff"), 1u);
    EXPECT_FALSE(fake.registry().has_value(intel, "PowerMizerEnable"));
    EXPECT_FALSE(fake.registry().has_value(nvidia, "PanelSelfRefreshOff"));
    EXPECT_TRUE(msi_enabled(fake, gpu));
    EXPECT_LT(last_line_with("NvTmRep_CrashReport4"), first_line_with("PanelSelfRefreshOff"));
    EXPECT_LT(first_line_with("DedicatedSegmentSize"), last_line_with("MSISupported"));
}

TEST_F(GpuAdapters, vendor_0_without_a_recognised_adapter_applies_the_nvidia_globals) {
    add_adapter(fake, "0000", "Microsoft Basic Display Adapter");
    apply_gpu_vendor_profile(GpuVendor::Unknown);
    EXPECT_EQ(fake.registry().dword("HKLM\\SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers", "TdrDelay"),
              10u);
    EXPECT_FALSE(fake.registry().has_value("HKLM\\SOFTWARE\\Intel\\GMM", "DedicatedSegmentSize"));
    EXPECT_FALSE(
        fake.registry().has_value(std::string("HKLM\\") + kDisplayClassKey + "\\0000", "PowerMizerEnable"));
}

TEST_F(GpuAdapters, main3d_and_the_other_umd_values_are_four_raw_bytes_and_main3d_def_a_string) {
    const std::string amd = add_adapter(fake, "0000", "AMD Radeon RX 7900 XTX");
    apply_amd_profile();
    const std::optional<RegistryValue> main3d = fake.registry().value(amd + "\\UMD", "Main3D");
    ASSERT_TRUE(main3d.has_value());
    EXPECT_EQ(main3d->type, kRegBinary);
    EXPECT_EQ(main3d->data, (std::vector<std::uint8_t>{0x31, 0, 0, 0}));
    EXPECT_EQ(fake.registry().text(amd + "\\UMD", "Main3D_DEF"), "1");
    EXPECT_EQ(fake.registry().dword(amd, "EnableUlps"), 0u);
    EXPECT_NE(first_line_with("UMD Main3D = 31 00 00 00"), fake.journal().size());
}

TEST_F(GpuAdapters, an_adapter_naming_two_vendors_gets_both_bodies_values) {
    const std::string both = add_adapter(fake, "0000", "Intel ATI Hybrid Graphics");
    apply_amd_profile();
    apply_intel_profile();
    EXPECT_EQ(fake.registry().dword(both, "EnableUlps"), 0u);
    EXPECT_EQ(fake.registry().dword(both, "PanelSelfRefreshOff"), 1u);
}

// [Message-signalled interrupts]

TEST_F(GpuAdapters, msi_walk_takes_graphics_devices_of_the_three_vendors_by_their_ids_and_nothing_else) {
    // As Windows names them: the class code is in the ID lists, not in the key's name.
    const std::string nvidia =
        add_pci_device(fake, "VEN_10DE&DEV_2786&SUBSYS_51411458&REV_A1\\4&2a1b",
                       "PCI\\VEN_10DE&DEV_2786&SUBSYS_51411458&REV_A1", "PCI\\VEN_10DE&CC_030000");
    const std::string amd = add_pci_device(fake, "VEN_1002&DEV_744C&SUBSYS_0E3B1002&REV_C8\\6&11",
                                           "PCI\\VEN_1002&DEV_744C&CC_038000", "PCI\\VEN_1002&DEV_744C");
    const std::string intel_in_path = add_pci_device(fake, "VEN_8086&DEV_4680&CC_0300\\3&11", "", "");
    const std::string nvidia_audio = add_pci_device(fake, "VEN_10DE&DEV_22BC&SUBSYS_51411458&REV_A1\\4&2a1c",
                                                    "PCI\\VEN_10DE&DEV_22BC", "PCI\\VEN_10DE&CC_040300");
    const std::string other_vendor = add_pci_device(fake, "VEN_1A03&DEV_2000&SUBSYS_00000000&REV_41\\5&1",
                                                    "PCI\\VEN_1A03&DEV_2000", "PCI\\VEN_1A03&CC_030000");
    apply_gpu_msi_mode();
    EXPECT_TRUE(msi_enabled(fake, nvidia));
    EXPECT_TRUE(msi_enabled(fake, amd));
    EXPECT_TRUE(msi_enabled(fake, intel_in_path));
    EXPECT_EQ(fake.registry().dword(nvidia + "\\Interrupt Management\\Affinity Policy", "DevicePriority"),
              0u);
    EXPECT_FALSE(msi_enabled(fake, nvidia_audio));
    EXPECT_FALSE(msi_enabled(fake, other_vendor));
}

// [Transcript]
// One adapter of each vendor, one NVIDIA display device, the three services the bodies touch
// and the Run value NVIDIA's deletes; each body's journal in turn. Checked once by hand against the change
// lists. To regenerate: TAVRINE_WRITE_GOLDEN=1 build/native/tests/tavrine_tests
// --gtest_filter='GpuAdapters.each*'

TEST_F(GpuAdapters, each_vendor_body_makes_its_changes_in_the_listed_order) {
    add_adapter(fake, "0000", "NVIDIA GeForce RTX 4070");
    add_adapter(fake, "0001", "AMD Radeon RX 7800 XT");
    add_adapter(fake, "0002", "Intel(R) UHD Graphics 770");
    add_pci_device(fake, "VEN_10DE&DEV_2786&SUBSYS_51411458&REV_A1\\4&2a1b", "PCI\\VEN_10DE&DEV_2786",
                   "PCI\\VEN_10DE&CC_030000");
    fake.registry().put_string("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "NvBackend",
                               "nvbackend.exe");
    for (const char* service : {"NvTelemetryContainer", "NVDisplay.ContainerLocalSystem", "amdlog"}) {
        fake.services().add(service, {});
    }
    std::string transcript;
    std::size_t seen = 0;
    for (GpuVendor vendor : {GpuVendor::Nvidia, GpuVendor::Amd, GpuVendor::Intel}) {
        transcript += std::string("# ") + vendor_short_name(vendor) + "\n";
        apply_gpu_vendor_profile(vendor);
        const std::vector<std::string> journal = fake.journal();
        for (; seen < journal.size(); ++seen) {
            transcript += journal[seen] + "\n";
        }
    }
    if (std::getenv("TAVRINE_WRITE_GOLDEN") != nullptr) {
#ifdef TAVRINE_SOURCE_DIR
        std::ofstream(std::string(TAVRINE_SOURCE_DIR) + "/tests/native/golden/gpu_vendor_profiles.txt",
                      std::ios::binary)
            << transcript;
        GTEST_SKIP() << "transcript rewritten; check it by hand before committing";
#endif
    }
    std::istringstream expected(test::golden_gpu_vendor_profiles());
    std::istringstream actual(transcript);
    std::string want;
    std::string got;
    for (int line = 1; std::getline(expected, want); ++line) {
        ASSERT_TRUE(std::getline(actual, got)) << "transcript ends before line " << line;
        ASSERT_EQ(got, want) << "first difference at line " << line;
    }
    EXPECT_FALSE(std::getline(actual, got)) << "transcript has more lines: " << got;
}

} // namespace
} // namespace tavrine
