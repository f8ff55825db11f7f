// Stand-in for the product's helper process that lies beside the driver
// files. The driver stand-in never starts it; it does nothing and exits.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
