// The wizard-wide choices: the pages fill them, the installation run reads them.
#pragma once
#include <windows.h>
#include "common/installer.h"

extern InstallOptions options;

// Screen rectangle of the last page shown; each page opens at its top-left.
extern RECT pageRect;

// The default installation type: Program Files folder and all options on.
void applyDefaultChoices();
