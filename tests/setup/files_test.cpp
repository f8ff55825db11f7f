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

std::string refusalOf(const std::string& folder, const char* reason = product::kFolderOthersMayChange) {
    char text[512];
    text::format(text, reason, folder.c_str(), product::kChooseAnotherFolder);
    return text;
}

// Who may change a folder, and who may rename or replace one above an
// install folder, from its owner and DACL as Windows keeps them; then as the
// programs see Wine's own folders, where its one user owns every file, the
// system folder too.
TEST_F(Folders, OnlyAFolderNoOneButAdministratorsCanChangeIsTrusted) {
    const std::string ti = "S-1-5-80-956008885-3418522649-1831038044-1847463358-2083667008", wine = "S-1-5-21-0-0-0-1000";
    const std::string wineFolder = "O:" + wine + "D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" + wine + ")(A;OICI;0x1200a9;;;WD)";
    const struct {
        std::string sddl;
        bool others, moves;  // othersMayWrite, othersMayMove
        std::string alsoTrusted;
    } rows[] = {
        {sec::kAdminsOnly + std::string("(A;OICIIO;FA;;;CO)"), false, false, ""},  // passed on to setup's files
        {"O:" + ti + "D:(A;;FA;;;" + ti + ")(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(D;;FA;;;WD)", false, false, ""},
        {sec::kUsersModify, true, true, ""},
        {"O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;AU)", true, true, ""},             // made under C:\ from Vista on
        {"O:BAD:(A;OICI;FA;;;BA)(A;CI;0x4;;;BU)(A;CIIO;0x2;;;BU)", true, false, ""},  // made under C:\ on XP
        {"O:BAD:(A;OICI;FA;;;BA)(A;OIIO;0x1301bf;;;BU)", true, false, ""},            // passed on to files put there
        {"O:BAD:(A;OICI;0x1301bf;;;PU)(A;OICIIO;FA;;;CO)", true, false, ""},          // Program Files on XP
        {"O:BAD:(A;;SD;;;BU)", true, true, ""}, {"O:BAD:(A;;WD;;;BU)", true, true, ""},
        {"O:BAD:(A;;GA;;;WD)", true, true, ""}, {"O:BAD:(A;;0x40;;;BU)", true, true, ""},  // delete inside
        {"O:BAD:(A;OICI;FA;;;CO)", true, true, ""},  // CREATOR OWNER on the folder itself
        {"O:BA", true, true, ""},  // no DACL
        {"O:S-1-5-21-1-2-3-1001D:P(A;OICI;FA;;;BA)", true, true, ""},  // a user's own folder
        {"O:PUD:P(A;OICI;FA;;;BA)", true, false, ""},
        {wineFolder, true, true, ""}, {wineFolder, false, false, wine},
        {"O:" + wine + "D:(A;OICI;FA;;;" + wine + ")(A;OICI;0x1301ff;;;WD)", true, true, wine},  // o+w
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sddl + " trusting " + row.alsoTrusted);
        PSECURITY_DESCRIPTOR sd = nullptr;
        PSID also = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(row.sddl.c_str(), SDDL_REVISION_1, &sd,
                                                                         nullptr));
        ASSERT_TRUE(row.alsoTrusted.empty() || ConvertStringSidToSidA(row.alsoTrusted.c_str(), &also));
        EXPECT_EQ(row.others, othersMayWrite(sd, also));
        EXPECT_EQ(row.moves, othersMayMove(sd, also));
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
    EXPECT_TRUE(othersMayMove(&nullDacl, nullptr));
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
// refused otherwise, untouched; refused too, there or not, below a link or a
// folder that others may rename. What was judged stays held.
TEST_F(Folders, TheRunTakesOverOnlyTheRecordedFolderHoldingOnlyTheProductsFiles) {
    const std::string folder = root + "\\Scribe", file = folder + "\\uninstall.exe", theirs = root + "\\theirs.txt";
    const char kProgramFilesXp[] = "O:BAD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;PU)(A;OICIIO;FA;;;CO)";
    enum There { Absent, Folder, HardLinked, Link };  // HardLinked: the product's file is a name of theirs
    const struct {
        There there;
        const char* kept;   // the folder's descriptor
        const char* above;  // the descriptor of the folder above it
        const char* recorded;
        const char* foreign;  // a file of someone else's in it
        const char* refusal;  // null: accepted
        const char* after;    // what the folder then reads as
    } rows[] = {
        {Absent, "", "", "Scribe", nullptr, nullptr, ""},
        {Folder, "", "", "Other", nullptr, nullptr, ""},  // Wine's own folder: its one user is an administrator
        {Folder, sec::kUsersModify, "", "SCRIBE", nullptr, nullptr, sec::kAdminsOnly},
        {Folder, sec::kUsersModify, "", "Scribe", "notes.txt", product::kFolderOthersMayChange, sec::kUsersModify},
        {Folder, sec::kUsersModify, "", "Other", nullptr, product::kFolderOthersMayChange, sec::kUsersModify},
        {HardLinked, sec::kUsersModify, "", "Scribe", nullptr, nullptr, sec::kAdminsOnly},
        {Link, "", "", "Other", nullptr, product::kFolderLinked, ""},  // to Other
        {Folder, "", sec::kUsersModify, "Other", nullptr, product::kFolderAboveOthersMayChange, ""},
        {Absent, "", sec::kUsersModify, "Scribe", nullptr, product::kFolderAboveOthersMayChange, ""},
        {Folder, "", kProgramFilesXp, "Other", nullptr, nullptr, ""},
        {Folder, sec::kUnreadable, "", "Other", nullptr, product::kFolderUnreadable, sec::kUnreadable},
    };
    CreateDirectoryA((root + "\\Other").c_str(), nullptr);
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.there) + " " + row.kept + " below " + row.above + ", recorded " + row.recorded);
        sec::SecurityStore store;
        const DWORD was = GetFileAttributesA(folder.c_str());
        if (was != INVALID_FILE_ATTRIBUTES && (was & FILE_ATTRIBUTE_REPARSE_POINT)) removeFolderLink(folder);
        removeTree(folder);
        writeFile(theirs, "theirs");
        if (row.there == Link) {
            ASSERT_TRUE(makeFolderLink(folder, root + "\\Other"));
        }
        if (row.there == Folder || row.there == HardLinked) {
            CreateDirectoryA(folder.c_str(), nullptr);
            if (row.there == Folder) writeFile(file, "earlier");
            if (row.there == HardLinked) {
                ASSERT_TRUE(CreateHardLinkA(file.c_str(), theirs.c_str(), nullptr));
            }
            if (row.foreign) writeFile(folder + "\\" + row.foreign, "theirs");
        }
        if (row.kept[0]) store.keep(folder, row.kept);
        if (row.above[0]) store.keep(root, row.above);
        regSetText(HKEY_LOCAL_MACHINE, product::kProductKey, "SetupPath", root + "\\" + row.recorded + "\\");
        Installer installer;
        text::copy(installer.installDir, folder.c_str());
        errorText[0] = '\0';
        EXPECT_EQ(row.refusal ? 0 : 1, installer.prepareInstallFolder());
        if (row.refusal == product::kFolderUnreadable) {  // said so, with the reading's error
            char said[512];
            text::format(said, row.refusal, folder.c_str(), 5, "");
            EXPECT_EQ(0u, std::string(errorText).find(said)) << errorText;
        } else {
            EXPECT_EQ(row.refusal ? refusalOf(folder, row.refusal) : "", std::string(errorText));
        }
        EXPECT_EQ(row.after, store.read(folder));
        const bool reset = row.after == sec::kAdminsOnly && row.there == Folder;
        EXPECT_EQ(reset ? sec::kInheritedOnly : "", store.read(file));
        // A second name goes itself; the file it named keeps its bytes and rights.
        EXPECT_EQ(row.there == Folder, fileExists(file));
        EXPECT_EQ("theirs", readFile(theirs));
        if (row.there != Absent && !row.refusal) {
            EXPECT_FALSE(MoveFileA(folder.c_str(), (folder + "~").c_str())) << "the folder was not held";
            MoveFileA((folder + "~").c_str(), folder.c_str());
        }
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
// write, replace or delete it, and it can still be read. The folders made
// for the installation are held too.
TEST_F(ProductFiles, CheckedFilesStayAsTheyWereCheckedUntilTheRunEnds) {
    ASSERT_EQ(1, installer.copyProductFiles()) << errorText;
    for (const std::string& made : {target + "\\Apps", std::string(installer.installDir)}) {
        EXPECT_FALSE(MoveFileA(made.c_str(), (made + "~").c_str())) << made;
        MoveFileA((made + "~").c_str(), made.c_str());
    }
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
