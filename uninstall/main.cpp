#include <windows.h>
#include <commctrl.h>
#include "uninstall/uninstall.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();  // the progress bar's class
    return uninstallMain(instance);
}
