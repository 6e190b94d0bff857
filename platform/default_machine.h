#pragma once

#include "platform/machine.h"

namespace tavrine {

// The backend in force when nothing else was installed: the real machine on Windows, an empty
// in-memory fake elsewhere (so a native build can never reach the host).
Machine& default_machine();

} // namespace tavrine
