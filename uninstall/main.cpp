#include <windows.h>
#include <commctrl.h>
#include "common/dllsearch.h"
#include "uninstall/uninstall.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    hardenDllSearch();
    InitCommonControls();  // the progress bar's class
    return uninstallMain(instance, processSwitches());
}
