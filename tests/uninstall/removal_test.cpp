// The removal operations against Wine's registry, shell folders and files.
#include <gtest/gtest.h>
#include <string>
#include "common/installer.h"
#include "common/product.h"
#include "tests/support/support.h"
#include "uninstall/uninstall.h"

namespace ts = testing_support;

namespace {

class RemovalOperations : public ::testing::Test {
protected:
    void TearDown() override {
        ts::removeTree(installDir);
        for (bool allUsers : {true, false}) {
            ts::removeTree(ts::programsFolder(allUsers) + "\\Orlan PDF Scribe");
            ts::removeTree(ts::programsFolder(allUsers) + "\\Orlan Software");
        }
    }
    const std::string installDir = ts::makeTempDir("product");
};

}  // namespace

TEST_F(RemovalOperations, RegistryRecordsGoFromBothHivesWithTheUninstallEntry) {
    ts::regSetText(HKEY_LOCAL_MACHINE, product::kProductKey, "SetupPath", "C:\\x\\");
    ts::regSetText(HKEY_LOCAL_MACHINE, (std::string(product::kProductKey) + "\\Deeper\\Still").c_str(), "v", "1");
    ts::regSetText(HKEY_CURRENT_USER, product::kProductKey, "SetupPath", "C:\\x\\");
    ts::regSetText(HKEY_LOCAL_MACHINE, product::kUninstallKey, "DisplayName", "Orlan Scribe");
    ts::regSetText(HKEY_LOCAL_MACHINE, product::kOldUninstallKey, "DisplayName", "PDF Scribe");
    ts::regSetText(HKEY_LOCAL_MACHINE, "Software\\Orlan Software\\Other Product", "v", "kept");

    Installer remover;
    remover.removeRegistryRecords();
    EXPECT_FALSE(ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kProductKey));
    EXPECT_FALSE(ts::regKeyExists(HKEY_CURRENT_USER, product::kProductKey));
    EXPECT_FALSE(ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kUninstallKey));
    // The older product's entry is left for the clean-up after the run.
    EXPECT_TRUE(ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kOldUninstallKey));

    ts::regSetText(HKEY_CURRENT_USER, product::kProductKey, "SetupPath", "C:\\x\\");
    removeLeftovers(installDir.c_str());
    EXPECT_FALSE(ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kOldUninstallKey));
    EXPECT_FALSE(ts::regKeyExists(HKEY_CURRENT_USER, product::kProductKey));
    EXPECT_TRUE(ts::regKeyExists(HKEY_LOCAL_MACHINE, "Software\\Orlan Software\\Other Product"));
    ts::regDeleteTree(HKEY_LOCAL_MACHINE, "Software\\Orlan Software\\Other Product");

    // Nothing left: every operation runs through again quietly.
    remover.removeRegistryRecords();
    removeLeftovers(installDir.c_str());
}

TEST_F(RemovalOperations, ShortcutsGoFromBothProgramsFoldersAndEmptyFoldersWithThem) {
    std::string common = ts::programsFolder(true), user = ts::programsFolder(false);
    for (const std::string& base : {common, user}) {
        CreateDirectoryA((base + "\\Orlan PDF Scribe").c_str(), nullptr);
        ts::writeFile(base + "\\" + product::kUninstallLink, "link");
        ts::writeFile(base + "\\" + product::kBatchLink, "link");
    }
    CreateDirectoryA((common + "\\Orlan Software").c_str(), nullptr);
    CreateDirectoryA((common + "\\Orlan Software\\PDF Scribe").c_str(), nullptr);
    ts::writeFile(common + "\\" + product::kOldVendorLink, "link");
    ts::writeFile(user + "\\Orlan PDF Scribe\\Readme.txt", "the user's own");

    Installer remover;
    remover.removeShortcuts();
    for (const std::string& base : {common, user}) {
        EXPECT_FALSE(ts::fileExists(base + "\\" + product::kUninstallLink)) << base;
        EXPECT_FALSE(ts::fileExists(base + "\\" + product::kBatchLink)) << base;
    }
    removeLeftovers(installDir.c_str());
    EXPECT_FALSE(ts::fileExists(common + "\\" + product::kOldVendorLink));
    EXPECT_FALSE(ts::folderExists(common + "\\Orlan PDF Scribe"));
    // A folder still holding something of the user's stays.
    EXPECT_TRUE(ts::fileExists(user + "\\Orlan PDF Scribe\\Readme.txt"));
}

// Every file here is read-only, as copies of a read-only payload may be:
// DeleteFile alone refuses them.
static void writeReadOnly(const std::string& path, const std::string& data) {
    ts::writeFile(path, data);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

TEST_F(RemovalOperations, ProductFilesGoAndForeignFilesStay) {
    for (const char* file : {"Uninstall.exe", "OPSBatch.exe", "Notes.txt"})
        writeReadOnly(installDir + "\\" + file, "x");
    // Any DLL without the export: the add-in file goes all the same.
    writeReadOnly(installDir + "\\OPS_WordAddin.dll", "not a library");
    CreateDirectoryA((installDir + "\\PDF Scribe").c_str(), nullptr);
    writeReadOnly(installDir + "\\PDF Scribe\\Uninstall.exe", "older");

    std::string fakeDriverDir = ts::makeTempDir("drivers");
    CreateDirectoryA((fakeDriverDir + "\\3").c_str(), nullptr);
    const char* driverFiles[] = {"ORC_ProxyProcess.exe", "kpdcjk.bin", "kpd_pnt.txt", "kpd_drv.dll", "kpd_ui.dll",
                                 "other_driver.dll"};
    for (const char* file : driverFiles) writeReadOnly(fakeDriverDir + "\\3\\" + file, "x");

    Installer remover;
    remover.initRemoval((installDir + "\\").c_str(), nullptr, nullptr);
    EXPECT_EQ(installDir, remover.installDir);
    lstrcpyA(remover.driverDir, fakeDriverDir.c_str());
    remover.removeWordAddin(remover.installDir);
    remover.removeProductFiles();
    removeLeftovers(installDir.c_str());

    for (const char* file : {"Uninstall.exe", "OPSBatch.exe", "OPS_WordAddin.dll", "PDF Scribe\\Uninstall.exe"})
        EXPECT_FALSE(ts::fileExists(installDir + "\\" + file)) << file;
    EXPECT_TRUE(ts::fileExists(installDir + "\\Notes.txt"));
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(ts::fileExists(fakeDriverDir + "\\3\\" + driverFiles[i])) << driverFiles[i];
    EXPECT_TRUE(ts::fileExists(fakeDriverDir + "\\3\\other_driver.dll"));
    ts::removeTree(fakeDriverDir);
}

// An install folder that cannot be trusted touches nothing at all.
TEST_F(RemovalOperations, EmptyOrOverlongFolderTouchesNoFile) {
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(installDir.c_str());
    ts::writeFile(installDir + "\\Uninstall.exe", "x");  // "\Uninstall.exe" would be the drive root's; ".\..." this one

    Installer remover;
    std::string overlong = installDir + "\\" + std::string(300, 'y');
    remover.initRemoval(overlong.c_str(), nullptr, nullptr);
    EXPECT_STREQ("", remover.installDir);
    remover.removeWordAddin(remover.installDir);
    remover.removeProductFiles();
    removeLeftovers("");
    SetCurrentDirectoryA(current);
    EXPECT_TRUE(ts::fileExists(installDir + "\\Uninstall.exe"));
}
