// A library that exists only beside the test exe, for the tests of where DLLs are searched for.
#include <windows.h>

extern "C" __declspec(dllexport) int TintavoProbe() { return 1; }
