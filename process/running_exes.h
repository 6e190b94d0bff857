#pragma once
// The running executables the process pickers offer: one name per executable, sorted.

#include <string>
#include <vector>

namespace tavrine {

// Base names of the first module of every process that can be opened for query and read,
// in ascending byte order (case matters) with duplicates removed. Processes that refuse to be
// opened are left out.
std::vector<std::string> running_exe_names();

} // namespace tavrine
