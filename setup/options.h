// The wizard-wide choices: the pages fill them, the installation run reads them.
#pragma once
#include <windows.h>

struct InstallOptions {
    char installDir[MAX_PATH];
    char sourceDir[MAX_PATH];
    int addWordAddin;
    int allUsers;
    int addStartMenuIcon;
    char previousDefaultPrinter[264];
};

extern InstallOptions options;

// Screen rectangle of the last page shown; each page opens at its top-left.
extern RECT pageRect;

// The default installation type: Program Files folder and all options on.
void applyDefaultChoices();
