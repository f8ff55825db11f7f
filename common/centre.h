// Screen centring shared by setup's pages and splash and the uninstaller's dialog.
#pragma once
#include <windows.h>

// Half the space left beside the window, each division truncating.
POINT centredOrigin(const RECT& window, int screenWidth, int screenHeight);

// The screen size as the window's DC reports it (HORZRES, VERTRES).
SIZE screenSize(HWND window);

// Moves the window to the middle of the screen, keeping its size.
void centreOnScreen(HWND window);
