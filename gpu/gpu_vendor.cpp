#include "gpu/gpu_vendor.h"

#include "platform/ascii.h"

#include <initializer_list>

namespace tavrine {

namespace {

bool names_any(std::string_view description, std::initializer_list<std::string_view> words) {
    for (std::string_view word : words) {
        if (icontains(description, word)) {
            return true;
        }
    }
    return false;
}

struct VendorChoice {
    const char* name;
    GpuVendor vendor;
};
constexpr VendorChoice kVendorChoices[] = {{"auto", GpuVendor::Unknown},
                                           {"nvidia", GpuVendor::Nvidia},
                                           {"amd", GpuVendor::Amd},
                                           {"intel", GpuVendor::Intel}};

} // namespace

const char* vendor_choice_name(GpuVendor vendor) {
    for (const VendorChoice& choice : kVendorChoices) {
        if (choice.vendor == vendor_from_code(static_cast<std::int32_t>(vendor))) {
            return choice.name;
        }
    }
    return "auto";
}

std::optional<GpuVendor> vendor_from_choice_name(std::string_view name) {
    for (const VendorChoice& choice : kVendorChoices) {
        if (iequals(name, choice.name)) {
            return choice.vendor;
        }
    }
    return std::nullopt;
}

GpuVendor vendor_from_code(std::int32_t code) {
    return code >= 1 && code <= 3 ? static_cast<GpuVendor>(code) : GpuVendor::Unknown;
}

bool is_known_vendor(GpuVendor vendor) {
    return vendor_from_code(static_cast<std::int32_t>(vendor)) != GpuVendor::Unknown;
}

const char* vendor_short_name(GpuVendor vendor) {
    switch (vendor_from_code(static_cast<std::int32_t>(vendor))) {
    case GpuVendor::Nvidia:
        return "NVIDIA";
    case GpuVendor::Amd:
        return "AMD";
    case GpuVendor::Intel:
        return "Intel";
    case GpuVendor::Unknown:
        break;
    }
    return "GPU";
}

const char* vendor_blurb(GpuVendor vendor) {
    switch (vendor_from_code(static_cast<std::int32_t>(vendor))) {
    case GpuVendor::Nvidia:
        return "We'll drop NVIDIA power-saving so the card stays ready for frames.";
    case GpuVendor::Amd:
        return "We'll cut AMD ULPS / power gating so the Radeon doesn't nap mid-fight.";
    case GpuVendor::Intel:
        return "We'll apply Intel Arc / UHD gaming flags for a snappier driver.";
    case GpuVendor::Unknown:
        break;
    }
    return "Pick the card you actually game on. We'll do the rest.";
}

int vendor_bit(GpuVendor vendor) {
    switch (vendor_from_code(static_cast<std::int32_t>(vendor))) {
    case GpuVendor::Nvidia:
        return kNvidiaBit;
    case GpuVendor::Amd:
        return kAmdBit;
    case GpuVendor::Intel:
        return kIntelBit;
    case GpuVendor::Unknown:
        break;
    }
    return 0;
}

int vendors_named_by(std::string_view description) {
    int bits = 0;
    if (names_any(description, {"NVIDIA"})) {
        bits |= kNvidiaBit;
    }
    if (names_any(description, {"AMD", "ATI", "Radeon"})) {
        bits |= kAmdBit;
    }
    if (names_any(description, {"Intel", "Iris", "Arc", "UHD", "HD Graphics"})) {
        bits |= kIntelBit;
    }
    return bits;
}

} // namespace tavrine
