// Placeholder until the file operations land.
#include "common/installer.h"
#include "install/install.h"

bool pathExists(const char*) { return false; }
bool createFolderTree(const char*) { return false; }
int Installer::copyProductFiles() { return 0; }
