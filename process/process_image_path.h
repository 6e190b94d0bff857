#pragma once

#include <string>
#include <string_view>

namespace tavrine {

// Full image path of the first running process whose file name is `name` (case ignored);
// empty when none is found.
std::string find_process_image_path(std::string_view name);

} // namespace tavrine
