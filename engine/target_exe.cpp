#include "engine/target_exe.h"

namespace tavrine {

void TargetExe::set(std::string_view name) {
    std::lock_guard<std::mutex> lock(mutex_);
    name_.assign(name.substr(0, kCapacity));
}

std::string TargetExe::get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return name_;
}

bool TargetExe::empty() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return name_.empty();
}

bool is_bare_executable_name(std::string_view name) {
    if (name.empty() || name.size() > TargetExe::kCapacity || name == "." || name == "..") {
        return false;
    }
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

} // namespace tavrine
