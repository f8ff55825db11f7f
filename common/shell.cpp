// Placeholder until the shell primitives land.
#include "common/shell.h"

void deleteSpecialFolderFile(int, const char*) {}
bool specialFolderPath(int, char (&out)[MAX_PATH]) { out[0] = '\0'; return false; }
bool callDllRegistration(const char*, bool) { return false; }
