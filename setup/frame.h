// What every wizard page shares: placement, icon, quit question, painting.
#pragma once
#include <windows.h>

// Icon 114, the position of the previous page (pageRect's top-left), front.
void initPage(HWND page);

// Stores the page's window rectangle in pageRect.
void storePageRect(HWND page);

// The quit question; true when the user answered Yes. Stores pageRect first.
bool confirmQuit(HWND page);

// Every page procedure returns this for the messages it does not handle.
INT_PTR CALLBACK commonPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
