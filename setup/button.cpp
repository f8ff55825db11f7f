// Placeholder until the skinned button lands.
#include "setup/button.h"

void attachPageButtons(HWND, Page) {}
