// The product key's "SetupPath" value: setup writes the install folder with
// one trailing backslash, and the uninstaller takes the folder back from it.
#pragma once
#include <windows.h>

// The value for installDir (a folder without a trailing separator). False
// when it does not fit: a value cut short would lead the uninstaller to
// another folder.
bool setupPathFromInstallFolder(const char* installDir, char (&out)[MAX_PATH]);

// The install folder from a value: cut at its last backslash. False, with
// out empty, when the result is no usable absolute folder (empty, relative,
// drive-relative such as "C:foo"), so that nothing is removed.
bool installFolderFromSetupPath(const char* value, char (&out)[MAX_PATH]);

// Reads "SetupPath" of the product key under root into out, as the install
// folder: only a text value that gives a usable folder counts. A missing key
// is not created.
bool readInstallFolder(HKEY root, char (&out)[MAX_PATH]);
