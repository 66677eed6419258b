// Where the program's libraries come from. Windows looks for a library in
// the program's own folder before the system folder, except for the few it
// knows by name; a program unpacked into a downloads folder would then run
// whatever "avifil32.dll" lies beside it. So the executables import only
// known libraries, and every other one is loaded here, from the system
// folder, when first needed. Windows side of the platform layer only.
#pragma once

#include <windows.h>

namespace pim {

// Takes the program's folder and the current folder out of the library
// search path for everything loaded later. The first thing each program does.
void RestrictLibrarySearch();

// Loads a library from the system folder; nullptr when the system lacks it.
// Callers load each library once, when first needed, and keep it.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The address of a function of such a library, as its own type; nullptr when
// the library or the function is missing.
template <typename F>
F SystemFunction(HMODULE library, const char* name) {
    if (!library) return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace pim
