// Placeholder until the registry records land.
#include "common/installer.h"

void Installer::clearProductKey() {}
int Installer::writeRegistryRecords() { return 1; }
