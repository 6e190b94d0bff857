#pragma once
// A tavrine-cli command run on the fake machine, its output kept for the checks.

#include "cli/cli.h"
#include "tests/native/test_support.h"

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine::test {

class CliTest : public EngineTest {
protected:
    int run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return run_cli(args, out, err);
    }
    bool printed(std::string_view text) const { return out.str().find(text) != std::string::npos; }

    std::ostringstream out;
    std::ostringstream err;
};

} // namespace tavrine::test
