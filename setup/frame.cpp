// Placeholder until the page frame lands.
#include "setup/frame.h"
#include "setup/options.h"

RECT pageRect;

void initPage(HWND) {}
void storePageRect(HWND page) { GetWindowRect(page, &pageRect); }
bool confirmQuit(HWND) { return true; }
INT_PTR CALLBACK commonPageProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
