#include "platform/default_machine.h"
#include "platform/fake/fake_machine.h"

namespace tavrine {

Machine& default_machine() {
    static FakeMachine machine;
    return machine;
}

void close_library_search() {}

std::vector<std::string> program_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void use_utf8_console() {}

} // namespace tavrine
