#include "gpu/display_adapters.h"

#include <algorithm>

namespace tavrine {

namespace {

constexpr std::size_t kDescriptionBuffer = 256; // bytes RegQueryValueExA is given for DriverDesc
constexpr std::size_t kAdapterPathLimit = 319;

std::string read_description(RegistryKey& key) {
    const std::optional<RegistryValue> value = key.query_value("DriverDesc");
    // A description that does not fit the buffer fails the read, as it would on Windows.
    if (!value || value->data.size() > kDescriptionBuffer) {
        return {};
    }
    const auto end = std::find(value->data.begin(), value->data.end(), std::uint8_t{0});
    return std::string(value->data.begin(), end);
}

std::string truncated_name(const std::string& text) {
    return text.substr(0, kAdapterNameBuffer - 1);
}

int vendor_slot(GpuVendor vendor) {
    return static_cast<int>(vendor) - 1;
}

} // namespace

void enumerate_display_adapters(const AdapterVisitor& visitor) {
    Registry& registry = current_machine().registry();
    RegistryKeyPtr class_key = registry.open_key(Hive::LocalMachine, kDisplayClassKey, KeyAccess::Read);
    if (!class_key) {
        return;
    }
    for (std::uint32_t index = 0;; ++index) {
        const std::optional<std::string> name = class_key->sub_key_name(index);
        if (!name) {
            break;
        }
        if (name->size() != 4) {
            continue;
        }
        const std::string path = std::string(kDisplayClassKey) + "\\" + *name;
        if (path.size() > kAdapterPathLimit) {
            continue;
        }
        RegistryKeyPtr adapter = registry.open_key(Hive::LocalMachine, path, KeyAccess::ReadWrite);
        if (!adapter) {
            continue;
        }
        visitor(*adapter, path, read_description(*adapter));
    }
}

AdapterClassification classify_adapters() {
    AdapterClassification result;
    enumerate_display_adapters([&](RegistryKey&, const std::string&, const std::string& description) {
        for (GpuVendor vendor : {GpuVendor::Nvidia, GpuVendor::Amd, GpuVendor::Intel}) {
            if (!adapter_is(vendor, description)) {
                continue;
            }
            result.presence_mask |= vendor_bit(vendor);
            std::string& first = result.first_description[vendor_slot(vendor)];
            if (first.empty()) {
                first = truncated_name(description);
            }
        }
    });
    for (GpuVendor vendor : {GpuVendor::Nvidia, GpuVendor::Amd, GpuVendor::Intel}) {
        if ((result.presence_mask & vendor_bit(vendor)) != 0) {
            result.chosen = vendor;
            result.chosen_name = result.first_description[vendor_slot(vendor)];
            break;
        }
    }
    if (result.chosen_name.empty()) {
        result.chosen_name = vendor_short_name(result.chosen);
    }
    return result;
}

} // namespace tavrine
