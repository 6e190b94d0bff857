#include "gpu/vendor_record.h"

#include "engine/app_data_folder.h"
#include "gpu/display_adapters.h"
#include "gpu/gpu_state.h"
#include "platform/files.h"
#include "platform/machine.h"

#include <atomic>
#include <mutex>
#include <sstream>

namespace tavrine {

namespace {

bool save_locked(GpuVendor vendor, std::string_view adapter_name) {
    return AppDataFolder::write(SettingsFile::GpuFirst, vendor_record_text(vendor, adapter_name));
}

} // namespace

GpuVendor remembered_vendor() {
    return vendor_from_code(gpu_state().remembered_vendor.load());
}

void set_remembered_vendor(GpuVendor vendor) {
    gpu_state().remembered_vendor.store(
        static_cast<std::int32_t>(vendor_from_code(static_cast<std::int32_t>(vendor))));
}

std::string vendor_record_text(GpuVendor vendor, std::string_view adapter_name) {
    std::string name(adapter_name.substr(0, kAdapterNameBuffer - 1));
    // The name is the last line: a line break inside it would make a fourth one.
    for (char& c : name) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return "1\n" + std::to_string(static_cast<std::int32_t>(vendor)) + "\n" + name + "\n";
}

std::optional<GpuVendor> remembered_vendor_in(std::string_view record_text) {
    std::istringstream in{std::string(record_text)};
    int marker = 0;
    int code = 0;
    if (!(in >> marker >> code) || marker == 0) {
        return std::nullopt;
    }
    const GpuVendor vendor = vendor_from_code(code);
    if (vendor == GpuVendor::Unknown) {
        return std::nullopt;
    }
    return vendor;
}

bool is_first_launch() {
    return !AppDataFolder::exists(SettingsFile::GpuFirst);
}

void load_remembered_vendor() {
    const std::optional<std::string> text = AppDataFolder::read(SettingsFile::GpuFirst);
    if (!text) {
        return;
    }
    if (const std::optional<GpuVendor> vendor = remembered_vendor_in(*text)) {
        set_remembered_vendor(*vendor);
    }
}

bool save_vendor_record(GpuVendor vendor, std::string_view adapter_name) {
    std::lock_guard<std::mutex> lock(gpu_state().record_file_lock);
    return save_locked(vendor, adapter_name);
}

bool save_vendor_record_if_current(unsigned generation, GpuVendor vendor, std::string_view adapter_name) {
    std::lock_guard<std::mutex> lock(gpu_state().record_file_lock);
    if (gpu_state().vendor_generation.load() != generation) {
        return false;
    }
    return save_locked(vendor, adapter_name);
}

void forget_vendor_record() {
    std::lock_guard<std::mutex> lock(gpu_state().record_file_lock);
    gpu_state().vendor_generation.fetch_add(1);
    Files& files = current_machine().files();
    const std::string ours = AppDataFolder::write_path(SettingsFile::GpuFirst);
    if (!ours.empty()) {
        files.delete_file(ours);
    }
    for (const std::string& legacy : AppDataFolder::legacy_paths(SettingsFile::GpuFirst)) {
        files.delete_file(legacy);
    }
}

unsigned vendor_record_generation() {
    return gpu_state().vendor_generation.load();
}

} // namespace tavrine
