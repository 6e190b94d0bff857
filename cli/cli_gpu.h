#pragma once
// `tavrine-cli plan gpu` and `apply gpu`: the vendor profile, the MSI walk and hardware GPU
// scheduling, as "Tune GPU now" makes them.

#include <iosfwd>
#include <string>
#include <vector>

namespace tavrine {

// True for "plan gpu ..." and "apply gpu ...".
bool is_gpu_command(const std::vector<std::string>& args);
int run_gpu_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tavrine
