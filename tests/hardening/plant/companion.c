/* The system folder's own copy of a companion DLL that the stand-in system
 * DLL imports by bare name. */
#include <windows.h>

__declspec(dllexport) int companionReady(void) { return 1; }
