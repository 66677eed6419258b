// A library that an attacker leaves beside the program: loading it by name
// must not find it there.
#include <windows.h>

extern "C" __declspec(dllexport) int PlantedMarker() { return 42; }
