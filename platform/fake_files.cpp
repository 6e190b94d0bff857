#include "platform/fake_files.h"

#include "platform/fake_machine.h"

namespace tavrine {

std::optional<std::uint32_t> FakeFiles::attributes(std::string_view path) {
    std::lock_guard<std::recursive_mutex> lock(owner_.lock());
    auto it = entries_.find(path);
    return it != entries_.end() ? std::optional<std::uint32_t>(it->second) : std::nullopt;
}

void FakeFiles::add(std::string_view path, std::uint32_t attributes) {
    std::lock_guard<std::recursive_mutex> lock(owner_.lock());
    entries_[std::string(path)] = attributes;
}

} // namespace tavrine
