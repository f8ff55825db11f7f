#include <windows.h>

// Minimal until the removal run lands.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
