#pragma once
// The shared process walk: one snapshot, every entry visited in snapshot order.

#include <cstdint>
#include <functional>
#include <string_view>

namespace tavrine {

// `name` is the executable file name, cut to 259 characters. A snapshot that cannot be taken
// visits nothing.
using ProcessVisitor = std::function<void(std::uint32_t pid, std::string_view name)>;
void for_each_process(const ProcessVisitor& visit);

// The number of entries in a fresh snapshot; 0 when none can be taken.
int count_processes();

std::uint32_t own_process_id();

} // namespace tavrine
