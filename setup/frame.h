// What every wizard page shares: placement, icon, skinned buttons, the quit
// question, the ways a page ends, painting.
#pragma once
#include <windows.h>
#include "setup/sequence.h"

// Icon 114, the position of the previous page (pageRect's top-left), front.
void initPage(HWND page);

// Stores the page's window rectangle in pageRect.
void storePageRect(HWND page);

// The quit question; true when the user answered Yes. Stores pageRect first.
bool confirmQuit(HWND page);

// A page's own fields, kept into the choices as the page ends.
typedef void (*KeepFields)(HWND page);

// The common opening of a page: frame, then its own skinned buttons, reset.
void openPage(HWND page, Page which);

// Ends the page with result, where it stands now; keep (if any) runs first.
void endPage(HWND page, INT_PTR result, KeepFields keep = nullptr);

// A cancelling button: the quit question, and the page ends only on Yes.
void quitPage(HWND page, INT_PTR result, KeepFields keep = nullptr);

// The screen's DPI as GDI reports it (LOGPIXELSY); 96 when it cannot be read.
int screenDpi();

// A length of the 96-DPI design at dpi, rounded; a length of 1 or more stays
// at least 1.
int scaleForDpi(int length, int dpi);

// A copy of source smoothly stretched (HALFTONE) to width x height, in the
// screen's format; null when it cannot be made.
HBITMAP fittedBitmap(HBITMAP source, int width, int height);

// Every picture of the page drawn to fill exactly its template's place.
void fitPictures(HWND page);

// Every page procedure returns this for the messages it does not handle.
INT_PTR CALLBACK commonPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
