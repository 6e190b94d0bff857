#pragma once

#include "platform/machine.h"

namespace tavrine {

// The backend in force when nothing else was installed: the real machine on Windows, an empty
// in-memory fake elsewhere (so a native build can never reach the host).
Machine& default_machine();

// Libraries loaded by name come from the system folder alone from here on (on Windows,
// SetDefaultDllDirectories): never the current folder, the executable's folder or the PATH,
// which programs without administrator rights may write. Each program's first call.
void close_library_search();

} // namespace tavrine
