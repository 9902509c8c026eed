// Where the programs' DLLs come from. The loader looks for a DLL that is not one of the system's
// known DLLs in the program's own folder first, and Update.exe runs from the temporary folder, so
// a DLL planted there would run inside it. Every system DLL outside that list is delay-loaded
// (the build's delay-import libraries) through LoadSystemLibrary, never from the import table.
#pragma once

#include <windows.h>

namespace velm {

// Makes System32 the only folder plain LoadLibrary calls search, in this process and in the
// system DLLs it hosts. The first call of each program's entry point.
void RestrictDllSearch();

// Loads a system DLL by file name from System32 only; nullptr (logged) when it cannot.
HMODULE LoadSystemLibrary(const char* name);

} // namespace velm
