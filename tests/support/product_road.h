// The user's road through the product: the default install folder, the
// Start-menu shortcut, and the uninstaller run from it as a user runs it.
#pragma once
#include <string>

namespace product_road {

// The Program Files folder with the product's sub-folder.
std::string defaultInstallDir();
// "...\Orlan PDF Scribe\Uninstall.lnk" in the all-users or the user's Programs folder.
std::string shortcutPath(bool allUsers);

struct UninstallTimes {
    double removalSeconds = 0;  // Yes pressed to the success message
};

// Starts the shortcut's target, answers Yes and then OK, and waits until
// the temporary copy has deleted itself. Returns "" or what went wrong.
// betweenSteps, when given, is called with the step's name while its window
// is up (for screenshots).
std::string uninstallFromShortcut(bool allUsers, UninstallTimes* times = nullptr,
                                  void (*betweenSteps)(const char* step) = nullptr);

}  // namespace product_road
