// The product key and the uninstall entry in Wine's real registry, read back
// byte for byte.
#include <gtest/gtest.h>
#include <string.h>
#include "common/errorreport.h"
#include "common/installer.h"
#include "tests/support/install_support.h"
#include "tests/support/support.h"

using namespace testing_support;
using install_support::withNul;

namespace {
const char kProductKey[] = "Software\\Orlan Software\\PDF Scribe";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orlan Scribe";

class RegistryRecords : public ::testing::Test {
protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
    void clear() {
        regDeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
        regDeleteTree(HKEY_CURRENT_USER, kProductKey);
        regDeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    }
    // A value exactly as stored: its type and every byte, the NUL included.
    void expectValue(HKEY root, const char* key, const char* name, DWORD type, const std::string& bytes) {
        std::string stored;
        DWORD storedType = REG_NONE;
        ASSERT_TRUE(regValue(root, key, name, &stored, &storedType)) << name;
        EXPECT_EQ(type, storedType) << name;
        EXPECT_EQ(bytes, stored) << name;
    }
    void expectText(HKEY root, const char* key, const char* name, const std::string& text) {
        expectValue(root, key, name, REG_SZ, withNul(text));
    }
    Installer installer;
};

TEST_F(RegistryRecords, AnInstallOnAnotherDriveIsRecordedByteForByte) {
    std::string backing = makeTempDir("drive");
    install_support::MappedDrive drive(backing);
    ASSERT_FALSE(drive.letter().empty()) << "no drive letter could be mapped";
    std::string folder = drive.letter() + "\\Apps\\Pdf Scribe";

    // The files and the records, as the run makes them.
    std::string source = makeTempDir("recsource");
    stageDist(source);
    std::string drivers = makeTempDir("recdrivers");
    CreateDirectoryA((drivers + "\\3").c_str(), nullptr);
    lstrcpyA(installer.sourceDir, source.c_str());
    lstrcpyA(installer.installDir, folder.c_str());
    lstrcpyA(installer.driverDir, drivers.c_str());
    ASSERT_EQ(1, installer.copyProductFiles());
    EXPECT_TRUE(fileExists(backing + "\\Apps\\Pdf Scribe\\uninstall.exe")) << "the copy went through the mapped drive";
    EXPECT_EQ(1, installer.writeRegistryRecords());

    expectText(HKEY_LOCAL_MACHINE, kProductKey, "SetupPath", folder + "\\");
    expectText(HKEY_LOCAL_MACHINE, kProductKey, "BtnShowWd", "1");
    expectText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Orlan Scribe");
    // The command lines are quoted (their folder has a blank); the paths are not.
    for (const char* name : {"DisplayIcon", "UninstallPath"})
        expectText(HKEY_LOCAL_MACHINE, kUninstallKey, name, folder + "\\uninstall.exe");
    expectText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "\"" + folder + "\\uninstall.exe\"");
    expectText(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher", "Orlan Corporation");
    expectText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "3,1,0,1210");
    expectText(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString", "\"" + folder + "\\uninstall.exe\" /S");
    for (const char* flag : {"NoModify", "NoRepair"})
        expectValue(HKEY_LOCAL_MACHINE, kUninstallKey, flag, REG_DWORD, std::string("\1\0\0\0", 4));
    // The records go to the machine only, whatever the all-users choice.
    EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, kProductKey));

    removeTree(source);
    removeTree(drivers);
    removeTree(backing);
}

TEST_F(RegistryRecords, ClearingRemovesTheProductKeyUnderBothRootsOnly) {
    testing_support::regSetText(HKEY_CURRENT_USER, "Software\\Orlan Software\\PDF Scribe\\Deep\\Er", "x", "1");
    testing_support::regSetText(HKEY_LOCAL_MACHINE, "Software\\Orlan Software\\PDF Scribe\\Sub", "SetupPath", "old");
    testing_support::regSetText(HKEY_LOCAL_MACHINE, "Software\\Orlan Software\\Other Product", "v", "keep");
    testing_support::regSetText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Orlan Scribe");

    installer.clearProductKey();
    EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_TRUE(regKeyExists(HKEY_LOCAL_MACHINE, "Software\\Orlan Software\\Other Product"));
    EXPECT_TRUE(regKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "the entry is overwritten later, not cleared";
    // Nothing to clear is no error.
    installer.clearProductKey();
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    regDeleteTree(HKEY_LOCAL_MACHINE, "Software\\Orlan Software\\Other Product");
}

TEST_F(RegistryRecords, AnInstallFolderTooLongForItsPathValuesLeavesThemOut) {
    std::string folder = install_support::pathOfLength(252);
    lstrcpyA(installer.installDir, folder.c_str());
    EXPECT_EQ(0, installer.writeRegistryRecords()) << "incomplete records are not called complete";
    // "SetupPath" fits (253 characters); the uninstaller's path does not.
    expectText(HKEY_LOCAL_MACHINE, kProductKey, "SetupPath", folder + "\\");
    for (const char* name : {"UninstallString", "DisplayIcon", "UninstallPath", "QuietUninstallString"})
        EXPECT_FALSE(regValue(HKEY_LOCAL_MACHINE, kUninstallKey, name, nullptr)) << name;
    expectText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Orlan Scribe");
    expectText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "3,1,0,1210");

    clear();
    lstrcpyA(installer.installDir, install_support::pathOfLength(259).c_str());
    EXPECT_EQ(0, installer.writeRegistryRecords());
    EXPECT_FALSE(regValue(HKEY_LOCAL_MACHINE, kProductKey, "SetupPath", nullptr)) << "never written cut short";
}

}  // namespace
