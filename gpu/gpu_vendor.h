#pragma once
// The graphics vendor a profile is for, its names on screen, and which vendors an adapter's
// description names.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavrine {

// The code as the record file and the Frames page's vendor list hold it. 0 stands for "not
// known": the profile is then applied for every vendor present.
enum class GpuVendor : std::int32_t { Unknown = 0, Nvidia = 1, Amd = 2, Intel = 3 };

// The command line's and the profile's word for a vendor choice: "auto" (Unknown), "nvidia",
// "amd", "intel"; the name is matched without regard to ASCII case.
const char* vendor_choice_name(GpuVendor vendor);
std::optional<GpuVendor> vendor_from_choice_name(std::string_view name);

// Any code outside 1..3 is Unknown.
GpuVendor vendor_from_code(std::int32_t code);
bool is_known_vendor(GpuVendor vendor);

// "NVIDIA", "AMD", "Intel", else "GPU"; also the adapter name when the description is empty.
const char* vendor_short_name(GpuVendor vendor);
// The line under "Looks like %s." on the setup screen.
const char* vendor_blurb(GpuVendor vendor);

// Presence bits, one per vendor.
inline constexpr int kNvidiaBit = 1;
inline constexpr int kAmdBit = 2;
inline constexpr int kIntelBit = 4;
int vendor_bit(GpuVendor vendor);

// The vendors an adapter description names (case-insensitive), as presence bits: one
// description can name several ("Intel ... ATI" gets both).
int vendors_named_by(std::string_view description);

} // namespace tavrine
