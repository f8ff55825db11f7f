/* A driver module whose configuration module imports it by bare name, as
 * the modules of one driver may import one another. */
#include <windows.h>

__declspec(dllexport) int driverNeighbour(void) { return 1; }
