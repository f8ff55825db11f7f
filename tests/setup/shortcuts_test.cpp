// Start-menu shortcuts through Wine's real shell links and special folders.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <cstdlib>
#include "common/errorreport.h"
#include "common/installer.h"
#include "common/shell.h"
#include "install/install.h"
#include "tests/support/install_support.h"
#include "tests/support/support.h"

using namespace testing_support;
using install_support::readLink;

namespace {

std::string linkIn(bool allUsers, const char* name = "Uninstall.lnk") {
    return programsFolder(allUsers) + "\\Orlan PDF Scribe\\" + name;
}
std::string productFolder(bool allUsers) { return programsFolder(allUsers) + "\\Orlan PDF Scribe"; }

class Shortcuts : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(programsFolder(true).empty());
        ASSERT_FALSE(programsFolder(false).empty());
        clean();
        target = makeTempDir("Orlan Target");
        writeFile(target + "\\uninstall.exe", "MZ");
        lstrcpyA(installer.installDir, target.c_str());
    }
    void TearDown() override {
        clean();
        removeTree(target);
    }
    void clean() {
        for (bool allUsers : {true, false}) removeTree(productFolder(allUsers));
    }
    std::string target;
    Installer installer;
};

TEST_F(Shortcuts, SpecialFolderPathsComeWithoutATrailingBackslash) {
    char path[MAX_PATH];
    ASSERT_TRUE(specialFolderPath(CSIDL_COMMON_PROGRAMS, path));
    EXPECT_EQ(programsFolder(true), path);
    ASSERT_TRUE(specialFolderPath(CSIDL_PROGRAMS, path));
    EXPECT_EQ(programsFolder(false), path);
    EXPECT_NE('\\', path[lstrlenA(path) - 1]);
}

// Where the run puts the link for each choice is checked on the machine by
// the acceptance tests; that an earlier installation's links and emptied
// folders go, by the run's (ProgressPageRun).
TEST_F(Shortcuts, AFolderHoldingForeignFilesSurvives) {
    installer.allUsers = 0;
    installer.createShortcuts();
    writeFile(linkIn(false, "Readme.txt"), "someone else's");
    installer.removeOldShortcuts();
    EXPECT_FALSE(fileExists(linkIn(false)));
    EXPECT_EQ("someone else's", readFile(linkIn(false, "Readme.txt")));
    EXPECT_TRUE(folderExists(productFolder(false)));
}

TEST_F(Shortcuts, DeletingWhatIsNotThereChangesNothing) {
    CreateDirectoryA(productFolder(false).c_str(), nullptr);
    writeFile(linkIn(false, "Other.lnk"), "x");
    deleteSpecialFolderFile(CSIDL_PROGRAMS, "Orlan PDF Scribe\\Uninstall.lnk");
    deleteSpecialFolderFile(CSIDL_PROGRAMS, "No Such Folder\\Uninstall.lnk");
    EXPECT_TRUE(fileExists(linkIn(false, "Other.lnk")));
    deleteSpecialFolderFile(CSIDL_PROGRAMS, "Orlan PDF Scribe\\Other.lnk");
    EXPECT_FALSE(fileExists(linkIn(false, "Other.lnk")));
    // A relative path too long to join is passed over, never cut to some
    // other file's name.
    std::string tooLong = "Orlan PDF Scribe\\" + std::string(300, 'x');
    deleteSpecialFolderFile(CSIDL_PROGRAMS, tooLong.c_str());
}

TEST_F(Shortcuts, TheLinkFileHoldsItsTargetAndDescriptionOnly) {
    std::string linkPath = target + "\\direct.lnk";
    createShortcut(linkPath.c_str(), (target + "\\uninstall.exe").c_str(), "Orlan PDF Scribe Uninstall");
    install_support::LinkContents link = readLink(linkPath);
    ASSERT_TRUE(link.loaded);
    EXPECT_STRCASEEQ((target + "\\uninstall.exe").c_str(), link.target.c_str());
    EXPECT_EQ("Orlan PDF Scribe Uninstall", link.description);
    EXPECT_EQ("", link.workingDirectory);
    EXPECT_EQ("", link.arguments);
    // A link path that cannot be converted whole is not saved at all.
    std::string overlong = target + "\\" + std::string(300, 'y') + ".lnk";
    createShortcut(overlong.c_str(), (target + "\\uninstall.exe").c_str(), "x");
    EXPECT_FALSE(fileExists(overlong));
}

// The user's own Start-menu folder may be a link (a junction on Windows) to
// any folder: nothing is deleted or written through it, and removing the
// folder takes the link away, not what it leads to.
TEST_F(Shortcuts, AFolderThatIsALinkLeadsNoDeletionOrShortcutElsewhere) {
    const std::string elsewhere = makeTempDir("elsewhere");
    for (const char* name : {"Uninstall.lnk", "ScribeBatch.lnk"}) writeFile(elsewhere + "\\" + name, "theirs");
    ASSERT_TRUE(makeFolderLink(productFolder(false), elsewhere));
    installer.allUsers = 0;
    EXPECT_EQ(0, installer.createShortcuts());
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = CreateShortcut(")) << errorText;
    deleteSpecialFolderFile(CSIDL_PROGRAMS, "Orlan PDF Scribe\\Uninstall.lnk");
    installer.removeOldShortcuts();
    for (const char* name : {"Uninstall.lnk", "ScribeBatch.lnk"})
        EXPECT_EQ("theirs", readFile(elsewhere + "\\" + name)) << name;
    removeFolderLink(productFolder(false));
    // A link above the product's folder: not even the folder is made there.
    char programs[MAX_PATH];
    ASSERT_TRUE(specialFolderPath(CSIDL_PROGRAMS, programs));
    const std::string aside = std::string(programs) + ".aside";
    ASSERT_TRUE(MoveFileA(programs, aside.c_str()));
    ASSERT_TRUE(makeFolderLink(programs, elsewhere));
    EXPECT_EQ(0, installer.createShortcuts());
    EXPECT_FALSE(folderExists(elsewhere + "\\Orlan PDF Scribe"));
    removeFolderLink(programs);
    ASSERT_TRUE(MoveFileA(aside.c_str(), programs));
    removeTree(elsewhere);
}

// Leaves the user's uninstall link in place for the check from outside Wine
// when ORLAN_KEEP_LINK names the install folder to point at.
TEST(ShortcutForOutsideReaders, UserLinkPointsAtTheUninstaller) {
    const char* kept = getenv("ORLAN_KEEP_LINK");
    std::string folder = kept && *kept ? kept : makeTempDir("Orlan Outside");
    ASSERT_TRUE(createFolderTree(folder.c_str()));
    writeFile(folder + "\\uninstall.exe", "MZ");
    Installer installer;
    lstrcpyA(installer.installDir, folder.c_str());
    installer.allUsers = 0;
    installer.createShortcuts();
    install_support::LinkContents link = readLink(linkIn(false));
    ASSERT_TRUE(link.loaded);
    EXPECT_STRCASEEQ((folder + "\\uninstall.exe").c_str(), link.target.c_str());
    if (!(kept && *kept)) {
        installer.removeOldShortcuts();
        EXPECT_FALSE(folderExists(productFolder(false)));
        removeTree(folder);
    }
}

}  // namespace
