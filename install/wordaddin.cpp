// Placeholder until the Word add-in step lands.
#include "common/installer.h"

int Installer::installWordAddin() { return 0; }
