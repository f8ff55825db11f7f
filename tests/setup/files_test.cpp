// Folder primitives and the copy of the product's files, on Wine's real
// file system.
#include <gtest/gtest.h>
#include "common/errorreport.h"
#include "common/installer.h"
#include "install/install.h"
#include "tests/support/install_support.h"
#include "tests/support/scoped_calls.h"
#include "tests/support/support.h"

using namespace testing_support;

namespace {

class Folders : public ::testing::Test {
protected:
    void SetUp() override { root = makeTempDir("folders"); }
    void TearDown() override { removeTree(root); }
    std::string root;
};

TEST_F(Folders, ExistenceDoesNotDependOnATrailingBackslash) {
    EXPECT_TRUE(pathExists(root.c_str()));
    EXPECT_TRUE(pathExists((root + "\\").c_str()));
    EXPECT_TRUE(pathExists("C:\\"));
    EXPECT_TRUE(pathExists("C:"));
    EXPECT_FALSE(pathExists((root + "\\missing").c_str()));
    EXPECT_FALSE(pathExists((root + "\\missing\\").c_str()));
    writeFile(root + "\\plain.txt", "x");
    EXPECT_FALSE(pathExists((root + "\\plain.txt").c_str())) << "a file is not a folder";
    EXPECT_FALSE(pathExists(""));
    EXPECT_FALSE(pathExists(nullptr));
}

TEST_F(Folders, CreatesEveryMissingLevelWithOrWithoutATrailingBackslash) {
    std::string deep = root + "\\one\\two\\three";
    ASSERT_TRUE(createFolderTree((deep + "\\").c_str()));
    EXPECT_TRUE(folderExists(root + "\\one\\two"));
    EXPECT_TRUE(folderExists(deep));
    // An existing folder is accepted as it is, with what it holds.
    writeFile(deep + "\\keep.txt", "keep");
    EXPECT_TRUE(createFolderTree(deep.c_str()));
    EXPECT_EQ("keep", readFile(deep + "\\keep.txt"));
}

TEST_F(Folders, WithoutAUsableBackslashAMissingParentFails) {
    // Relative paths resolve against the current folder; forward slashes are
    // no separators to this code.
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(root.c_str()));
    EXPECT_FALSE(createFolderTree("nosuchparent/child"));
    EXPECT_FALSE(folderExists(root + "\\nosuchparent"));
    EXPECT_FALSE(createFolderTree("\\nosuchparent_h3/child")) << "only the first character is a backslash";
    EXPECT_FALSE(folderExists("C:\\nosuchparent_h3"));
    // A single new level needs no backslash at all.
    EXPECT_TRUE(createFolderTree("single"));
    EXPECT_TRUE(folderExists(root + "\\single"));
    SetCurrentDirectoryA(saved);
}

TEST_F(Folders, OverlongPathsAreRejectedWhole) {
    // Fits the buffer, but not with the search pattern appended.
    std::string nearLimit = install_support::pathOfLength(257);
    SetLastError(0);
    EXPECT_FALSE(pathExists(nearLimit.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
    std::string withSlash = install_support::pathOfLength(256) + "\\";
    EXPECT_FALSE(pathExists(withSlash.c_str()));
    // One character past the buffer: rejected before any folder is made.
    std::string justTooLong = install_support::pathOfLength(260);
    SetLastError(0);
    EXPECT_FALSE(createFolderTree(justTooLong.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
    EXPECT_FALSE(folderExists(justTooLong.substr(0, justTooLong.find('\\', justTooLong.find("long")))));
}

// copyProductFiles with a private driver directory, so that nothing lands in
// the spooler's real one.
class ProductFiles : public ::testing::Test {
protected:
    void SetUp() override {
        source = makeTempDir("source");
        stageDist(source);
        target = makeTempDir("target");
        drivers = makeTempDir("drivers");
        CreateDirectoryA((drivers + "\\3").c_str(), nullptr);
        lstrcpyA(installer.sourceDir, source.c_str());
        lstrcpyA(installer.installDir, (target + "\\Apps\\Pdf").c_str());
        lstrcpyA(installer.driverDir, drivers.c_str());
        errorText[0] = '\0';
        installed = {target + "\\Apps\\Pdf\\uninstall.exe", drivers + "\\3\\ORC_ProxyProcess.exe",
                     drivers + "\\3\\kpdcjk.bin"};
    }
    void TearDown() override {
        removeTree(source);
        removeTree(target);
        removeTree(drivers);
    }
    // The copy fails with tag; the first `copied` files are there, the rest not.
    void expectStop(const char* tag, int copied) {
        EXPECT_EQ(0, installer.copyProductFiles());
        EXPECT_NE(nullptr, strstr(errorText, tag)) << errorText;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(i < copied, fileExists(installed[i])) << installed[i];
    }
    const char* const kNames[3] = {"uninstall.exe", "ORC_ProxyProcess.exe", "kpdcjk.bin"};
    std::string source, target, drivers;
    std::vector<std::string> installed;  // where each of kNames goes
    Installer installer;
};

TEST_F(ProductFiles, CopiesTheThreeFilesByteForByte) {
    // An earlier installation's copy is overwritten.
    CreateDirectoryA((target + "\\Apps").c_str(), nullptr);
    CreateDirectoryA((target + "\\Apps\\Pdf").c_str(), nullptr);
    writeFile(target + "\\Apps\\Pdf\\uninstall.exe", "old");
    ASSERT_EQ(1, installer.copyProductFiles());
    EXPECT_GT(readFile(installed[0]).size(), 1000u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(readFile(source + "\\" + kNames[i]), readFile(installed[i])) << kNames[i];
    EXPECT_FALSE(fileExists(target + "\\Apps\\Pdf\\kpdcjk.bin")) << "driver-side files stay beside the driver";
    EXPECT_STREQ("", errorText);
}

// Each file has its own tag; the files before it are copied, the ones after
// it are not.
TEST_F(ProductFiles, AMissingFileStopsTheCopyWithItsTag) {
    const char* const tags[] = {"Error tag = CopyFile_7(2):", "Error tag = CopyFile_10(2):",
                                "Error tag = CopyFile_11(2):"};
    for (int missing = 0; missing < 3; ++missing) {
        SCOPED_TRACE(kNames[missing]);
        for (const std::string& file : installed) DeleteFileA(file.c_str());
        const std::string file = source + "\\" + kNames[missing], away = file + ".away";
        ASSERT_TRUE(MoveFileA(file.c_str(), away.c_str()));
        expectStop(tags[missing], missing);
        MoveFileA(away.c_str(), file.c_str());
    }
}

// A file in the way of a folder fails the levels below it.
TEST_F(ProductFiles, AnInstallFolderThatCannotBeMadeIsReported) {
    writeFile(target + "\\Apps", "a file where the folder should go");
    expectStop("Error tag = CreateDir3(", 0);
}

TEST_F(ProductFiles, WithoutADriverDirectoryNothingLandsInTheDriveRoot) {
    installer.driverDir[0] = '\0';
    expectStop("Error tag = CopyFile_10(3):", 1);
    EXPECT_FALSE(fileExists("C:\\3\\ORC_ProxyProcess.exe"));
}

TEST_F(ProductFiles, PathsThatDoNotFitAreRejectedNotCut) {
    // The source folder fits its buffer; joined with the file name it does not.
    lstrcpyA(installer.sourceDir, install_support::pathOfLength(250).c_str());
    expectStop("Error tag = CopyFile_7(206):", 0);
    lstrcpyA(installer.sourceDir, source.c_str());
    lstrcpyA(installer.driverDir, install_support::pathOfLength(245).c_str());
    expectStop("Error tag = CopyFile_10(206):", 1);
}

bool readOnly(const std::string& path) { return GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY; }

// CreateFileA as Windows does it: a read-only file is not opened for writing
// (Wine, run as root, opens it).
HANDLE WINAPI openRefusingReadOnly(LPCSTR name, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security,
                                   DWORD disposition, DWORD flags, HANDLE templateFile) {
    if ((access & GENERIC_WRITE) && GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES && readOnly(name)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(name, access, sharing, security, disposition, flags, templateFile);
}

TEST_F(ProductFiles, CopiesAreNeverReadOnlyAndReplaceReadOnlyOnes) {
    for (const char* name : kNames)
        SetFileAttributesA((source + "\\" + name).c_str(), FILE_ATTRIBUTE_READONLY);
    // The first pass with the system's calls; the second over its copies,
    // made read-only as an earlier installation may have left them.
    testing_support::ScopedCalls files(fileCalls);
    for (auto open : {&CreateFileA, &openRefusingReadOnly}) {
        for (const std::string& file : installed) SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
        files->createFile = open;
        EXPECT_EQ(1, installer.copyProductFiles()) << errorText;
        for (const std::string& file : installed) EXPECT_TRUE(fileExists(file) && !readOnly(file)) << file;
    }
    EXPECT_EQ(readFile(source + "\\kpdcjk.bin"), readFile(installed[2]));
    EXPECT_TRUE(DeleteFileA(installed[0].c_str())) << "the uninstaller can delete the copy";
}

// Once checked, a payload file is held until the run ends: nobody can
// write, replace or delete it, and it can still be read.
TEST_F(ProductFiles, CheckedFilesStayAsTheyWereCheckedUntilTheRunEnds) {
    ASSERT_EQ(1, installer.copyProductFiles()) << errorText;
    for (const char* name : kNames) {
        const std::string file = source + "\\" + name;
        HANDLE writer = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(INVALID_HANDLE_VALUE, writer) << name;
        if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
        EXPECT_FALSE(MoveFileA(file.c_str(), (file + ".away").c_str())) << name;
        EXPECT_FALSE(DeleteFileA(file.c_str())) << name;
        EXPECT_TRUE(readFile(distFile(name)) == readFile(file)) << name;
    }
}

// A file without its row is no file of the release, and setup.exe without
// its table knows none.
TEST_F(ProductFiles, AFileTheTableDoesNotListIsRefused) {
    const std::string others = install_support::payloadTableOf(source, {"kpd_drv.dll", "kpdcjk.bin"});
    installer.payloadTable = PayloadTable{others.c_str(), static_cast<DWORD>(others.size())};
    expectStop("Error tag = CopyFile_7(1392):", 0);
    installer.payloadTable = PayloadTable{nullptr, 0};
    expectStop("Error tag = CopyFile_7(1392):", 0);
}

// That a failed copy stops the whole run before the records is the run's
// test (ProgressPageRun.AFailedCopyOrRecordWriteStopsTheRunWithItsReport).

}  // namespace
