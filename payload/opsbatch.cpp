// Stand-in for the product's batch converter, which setup does not install
// and the uninstaller removes if present. It does nothing and exits.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
