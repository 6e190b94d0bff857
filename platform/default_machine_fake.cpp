#include "platform/default_machine.h"
#include "platform/fake_machine.h"

namespace tavrine {

Machine& default_machine() {
    static FakeMachine machine;
    return machine;
}

void close_library_search() {}

} // namespace tavrine
