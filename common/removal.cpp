// Placeholder until printer and driver removal lands.
#include "common/installer.h"

int Installer::deleteProductPrinters() { return 0; }
int Installer::deleteProductDriver() { return 0; }
int Installer::removePrinterAndDriver() { return 0; }
