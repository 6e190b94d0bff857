#include "platform/default_machine.h"
#include "platform/win32_machine.h"

#include <windows.h>

namespace tavrine {

Machine& default_machine() {
    return win32_machine();
}

void close_library_search() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace tavrine
