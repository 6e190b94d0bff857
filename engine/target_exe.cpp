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

TargetExe& target_exe() {
    static TargetExe target;
    return target;
}

std::atomic<std::int32_t>& selected_title() {
    static std::atomic<std::int32_t> index{kNoTitle};
    return index;
}

} // namespace tavrine
