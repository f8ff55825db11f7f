// Placeholder until the shortcuts land.
#include "common/installer.h"
#include "install/install.h"

void createShortcut(const char*, const char*, const char*) {}
void Installer::removeOldShortcuts() {}
void Installer::createShortcuts() {}
