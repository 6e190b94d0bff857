#pragma once

#include "platform/machine.h"

namespace tavrine {

// The real machine: the Win32 registry, service manager, process creation and user32.
Machine& win32_machine();

} // namespace tavrine
