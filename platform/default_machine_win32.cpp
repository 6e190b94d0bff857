#include "platform/default_machine.h"
#include "platform/win32_machine.h"

namespace tavrine {

Machine& default_machine() {
    return win32_machine();
}

} // namespace tavrine
