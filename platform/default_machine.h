#pragma once

#include <string>
#include <vector>

namespace tavrine {

// Named only: machine.cpp falls back on this backend, so this header must not need machine.h.
class Machine;

// The backend in force when nothing else was installed: the real machine on Windows, an empty
// in-memory fake elsewhere (so a native build can never reach the host).
Machine& default_machine();

// Libraries loaded by name come from the system folder alone from here on (on Windows,
// SetDefaultDllDirectories): never the current folder, the executable's folder or the PATH,
// which programs without administrator rights may write. Each program's first call.
void close_library_search();

// The program's arguments after its name, in UTF-8 (on Windows from the wide command line:
// argv has them in the code page, with "?" for what it cannot hold).
std::vector<std::string> program_arguments(int argc, char** argv);

// Text written to the console is UTF-8 from here on (on Windows, its output code page).
void use_utf8_console();

} // namespace tavrine
