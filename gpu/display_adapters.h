#pragma once
// The display adapters Windows lists under the display class key, and which vendor the user
// most likely games on. Read through the current machine, so the fake, the recorder and the
// real registry all answer.

#include "gpu/gpu_vendor.h"
#include "platform/machine.h"

#include <array>
#include <functional>
#include <string>

namespace tavrine {

inline constexpr const char* kDisplayClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";

// Descriptions and names are kept in buffers of this many bytes, terminator included.
inline constexpr std::size_t kAdapterNameBuffer = 96;
inline constexpr const char* kGenericAdapterName = "Graphics adapter";

// `key` is the adapter's own key, open for reading and setting values; `path` is relative to
// HKEY_LOCAL_MACHINE; `description` is its "DriverDesc" (empty when it cannot be read).
using AdapterVisitor =
    std::function<void(RegistryKey& key, const std::string& path, const std::string& description)>;

// Every adapter instance (the four-character sub-keys 0000, 0001, ...; "Configuration" and
// "Properties" are passed over), in enumeration order. No class key, no adapters.
void enumerate_display_adapters(const AdapterVisitor& visitor);

// What one look at the adapters found. Each call fills its own, so a worker thread never
// writes what the setup screen is showing.
struct AdapterClassification {
    int presence_mask = 0;                        // kNvidiaBit | kAmdBit | kIntelBit
    std::array<std::string, 3> first_description; // of the first NVIDIA, AMD, Intel adapter
    GpuVendor chosen = GpuVendor::Unknown;
    std::string chosen_name = kGenericAdapterName;
};

// NVIDIA before AMD before Intel: a discrete card wins over integrated graphics. The name is
// the chosen vendor's first description, or its short name when that was empty.
AdapterClassification classify_adapters();

// The vendors whose profile applies to the adapter with this description.
inline bool adapter_is(GpuVendor vendor, const std::string& description) {
    return (vendors_named_by(description) & vendor_bit(vendor)) != 0;
}

} // namespace tavrine
