// Folder primitives and the copy of the product's files, on Wine's real
// file system.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>
#include "common/errorreport.h"
#include "common/foldersecurity.h"
#include "common/installer.h"
#include "common/product.h"
#include "common/text.h"
#include "install/install.h"
#include "tests/support/install_support.h"
#include "tests/support/scoped_calls.h"
#include "tests/support/security_support.h"
#include "tests/support/support.h"

using namespace testing_support;
namespace sec = security_support;

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

std::string refusalOf(const std::string& folder) {
    char text[512];
    text::format(text, product::kFolderOthersMayChange, folder.c_str());
    return text;
}

// Who may change a folder, from its owner and DACL as Windows keeps them;
// then as the programs see Wine's own folders, where its one user owns every
// file, the system folder too.
TEST_F(Folders, OnlyAFolderNoOneButAdministratorsCanChangeIsTrusted) {
    const std::string ti = "S-1-5-80-956008885-3418522649-1831038044-1847463358-2083667008", wine = "S-1-5-21-0-0-0-1000";
    const std::string wineFolder = "O:" + wine + "D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" + wine + ")(A;OICI;0x1200a9;;;WD)";
    const struct {
        std::string sddl;
        bool others;
        std::string alsoTrusted;
    } rows[] = {
        {sec::kAdminsOnly + std::string("(A;OICIIO;FA;;;CO)"), false, ""},  // passed on to setup's files
        {"O:" + ti + "D:(A;;FA;;;" + ti + ")(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(D;;FA;;;WD)", false, ""},
        {sec::kUsersModify, true, ""},
        {"O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;AU)", true, ""},            // made under C:\ from Vista on
        {"O:BAD:(A;OICI;FA;;;BA)(A;CI;0x4;;;BU)(A;CIIO;0x2;;;BU)", true, ""},  // made under C:\ on XP
        {"O:BAD:(A;OICI;FA;;;BA)(A;OIIO;0x1301bf;;;BU)", true, ""},            // passed on to files put there
        {"O:BAD:(A;OICI;0x1301bf;;;PU)", true, ""},                            // Program Files on XP
        {"O:BAD:(A;;SD;;;BU)", true, ""}, {"O:BAD:(A;;WD;;;BU)", true, ""}, {"O:BAD:(A;;GA;;;WD)", true, ""},
        {"O:BAD:(A;OICI;FA;;;CO)", true, ""},  // CREATOR OWNER on the folder itself
        {"O:BA", true, ""},  // no DACL
        {"O:S-1-5-21-1-2-3-1001D:P(A;OICI;FA;;;BA)", true, ""},  // a user's own folder
        {wineFolder, true, ""}, {wineFolder, false, wine},
        {"O:" + wine + "D:(A;OICI;FA;;;" + wine + ")(A;OICI;0x1301ff;;;WD)", true, wine},  // o+w
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sddl + " trusting " + row.alsoTrusted);
        PSECURITY_DESCRIPTOR sd = nullptr;
        PSID also = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(row.sddl.c_str(), SDDL_REVISION_1, &sd,
                                                                         nullptr));
        ASSERT_TRUE(row.alsoTrusted.empty() || ConvertStringSidToSidA(row.alsoTrusted.c_str(), &also));
        EXPECT_EQ(row.others, othersMayWrite(sd, also));
        LocalFree(also);
        LocalFree(sd);
    }
    // A NULL DACL, which Wine's SDDL reader cannot make (it reads
    // NO_ACCESS_CONTROL as an empty DACL).
    SECURITY_DESCRIPTOR nullDacl;
    PSID admins = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidA("BA", &admins));
    InitializeSecurityDescriptor(&nullDacl, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&nullDacl, admins, FALSE);
    SetSecurityDescriptorDacl(&nullDacl, TRUE, nullptr, FALSE);
    EXPECT_TRUE(othersMayWrite(&nullDacl, nullptr));
    LocalFree(admins);
    EXPECT_TRUE(onlyAdminsCanWrite(root.c_str()));
    ASSERT_TRUE(install_support::letEveryoneWrite(root));
    EXPECT_FALSE(onlyAdminsCanWrite(root.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(onlyAdminsCanWrite((root + "\\missing").c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

// Before the run changes anything, an install folder that is there is used
// when only administrators can change it, taken over when it is the
// recorded earlier installation's and holds only the product's files, and
// refused otherwise, untouched.
TEST_F(Folders, TheRunTakesOverOnlyTheRecordedFolderHoldingOnlyTheProductsFiles) {
    const std::string folder = root + "\\Scribe", file = folder + "\\uninstall.exe";
    const struct {
        bool there;
        const char* kept;
        const char* recorded;
        const char* foreign;  // a file of someone else's in it
        int result;
        const char* after;  // what the folder then reads as
    } rows[] = {
        {false, "", "Scribe", nullptr, 1, ""},
        {true, "", "Other", nullptr, 1, ""},  // Wine's own folder: its one user is an administrator
        {true, sec::kUsersModify, "SCRIBE", nullptr, 1, sec::kAdminsOnly},
        {true, sec::kUsersModify, "Scribe", "notes.txt", 0, sec::kUsersModify},
        {true, sec::kUsersModify, "Other", nullptr, 0, sec::kUsersModify},
        {true, sec::kUnreadable, "Other", nullptr, 0, sec::kUnreadable},
    };
    CreateDirectoryA((root + "\\Other").c_str(), nullptr);
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.kept) + ", recorded " + row.recorded);
        sec::SecurityStore store;
        removeTree(folder);
        if (row.there) {
            CreateDirectoryA(folder.c_str(), nullptr);
            writeFile(file, "earlier");
            if (row.foreign) writeFile(folder + "\\" + row.foreign, "theirs");
        }
        if (row.kept[0]) store.keep(folder, row.kept);
        regSetText(HKEY_LOCAL_MACHINE, product::kProductKey, "SetupPath", root + "\\" + row.recorded + "\\");
        Installer installer;
        text::copy(installer.installDir, folder.c_str());
        errorText[0] = '\0';
        EXPECT_EQ(row.result, installer.prepareInstallFolder());
        if (row.kept == sec::kUnreadable)  // said so, not that others can change it
            EXPECT_EQ(0u, std::string(errorText).find("Setup cannot read who may change the folder " + folder +
                                                      ". Please choose another folder, or a new one.\n\nError 5: "))
                << errorText;
        else
            EXPECT_EQ(row.result ? "" : refusalOf(folder), std::string(errorText));
        EXPECT_EQ(row.after, store.read(folder));
        EXPECT_EQ(row.after == sec::kAdminsOnly ? sec::kInheritedOnly : "", store.read(file));
    }
    regDeleteTree(HKEY_LOCAL_MACHINE, product::kProductKey);
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

// The install folder and each parent made for it are the administrators'
// only; a parent that was there stays as it was. A folder that someone else
// made in the meantime, which others can change, gets no file.
TEST_F(ProductFiles, FoldersMadeForTheInstallationAreTheAdministratorsOnly) {
    sec::SecurityStore store;
    ASSERT_EQ(1, installer.copyProductFiles()) << errorText;
    EXPECT_EQ(sec::kAdminsOnly, store.read(installer.installDir));
    EXPECT_EQ(sec::kAdminsOnly, store.read(target + "\\Apps"));
    EXPECT_EQ("", store.read(target));

    for (const std::string& file : installed) DeleteFileA(file.c_str());
    store.keep(installer.installDir, sec::kUsersModify);
    expectStop(refusalOf(installer.installDir).c_str(), 0);
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

// The bytes read for the copy are not those read for the check: the copy
// with them is deleted, and the run stops there.
TEST_F(ProductFiles, BytesThatDifferFromThoseCheckedAreNoCopy) {
    ASSERT_EQ(1, installer.checkPayload()) << errorText;
    testing_support::ScopedCalls files(fileCalls);
    files->readFile = install_support::readOtherBytes;
    expectStop("Error tag = CopyFile_7(1392):", 0);
}

// A file without its row is no file of the release, and setup.exe without
// its table knows none. Names compare in ASCII, any letter case, not by the
// user's locale, which passes over a soft hyphen (and in Turkish, which Wine
// does not fold so, tells "I" from "i").
TEST_F(ProductFiles, AFileTheTableDoesNotListIsRefused) {
    const std::string others = install_support::payloadTableOf(source, {"kpd_drv.dll", "kpdcjk.bin"});
    installer.payloadTable = PayloadTable{others.c_str(), static_cast<DWORD>(others.size())};
    expectStop("Error tag = CopyFile_7(1392):", 0);
    std::string hyphened = install_support::payloadTableOf(source, {"uninstall.exe"});
    hyphened.insert(hyphened.find("uninstall") + 4, "\xAD");
    installer.payloadTable = PayloadTable{hyphened.c_str(), static_cast<DWORD>(hyphened.size())};
    expectStop("Error tag = CopyFile_7(1392):", 0);
    installer.payloadTable = PayloadTable{nullptr, 0};
    expectStop("Error tag = CopyFile_7(1392):", 0);
    const std::string capitals =
        install_support::payloadTableOf(source, {"UNINSTALL.EXE", "ORC_PROXYPROCESS.EXE", "KPDCJK.BIN"});
    installer.payloadTable = PayloadTable{capitals.c_str(), static_cast<DWORD>(capitals.size())};
    EXPECT_EQ(1, installer.copyProductFiles()) << errorText;
}

// That a failed copy stops the whole run before the records is the run's
// test (ProgressPageRun.AFailedCopyOrRecordWriteStopsTheRunWithItsReport).

}  // namespace
