// The uninstaller's small decisions and checks: stage test, install folder,
// the temporary copy's folder, making, start, command line and the sweep of
// what killed copies left, the walk over a path's folders, links on it and
// the folders held, the log's file, the administrator test against a stand-in NetApi32.dll and
// Wine's own, the rights rule, and the self-deletion and its refusals.
#include <gtest/gtest.h>
#include <aclapi.h>
#include <string.h>
#include <string>
#include <vector>
#include "common/errorreport.h"
#include "common/handles.h"
#include "common/product.h"
#include "common/protect.h"
#include "common/runlog.h"
#include "common/setuppath.h"
#include "common/system.h"
#include "tests/support/install_support.h"
#include "tests/support/scoped_calls.h"
#include "tests/support/security_support.h"
#include "tests/support/support.h"
#include "uninstall/uninstall.h"

namespace ts = testing_support;
namespace sec = security_support;

// The system may report the temp folder in long form while the program's
// folder comes in short form, or the other way round.
TEST(UninstallFolders, TempFolderIsRecognisedInShortAndLongForm) {
    std::string parent = ts::makeTempDir("stage");
    std::string longFolder = parent + "\\A rather long folder name";
    ASSERT_TRUE(CreateDirectoryA(longFolder.c_str(), nullptr));
    char shortFolder[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(longFolder.c_str(), shortFolder, MAX_PATH), 0u);
    ASSERT_STRNE(longFolder.c_str(), shortFolder) << "the system gave no short name to compare with";

    EXPECT_TRUE(runsFromTemp(longFolder.c_str(), shortFolder));
    EXPECT_TRUE(runsFromTemp(shortFolder, longFolder.c_str()));
    EXPECT_TRUE(runsFromTemp(longFolder.c_str(), longFolder.c_str()));
    EXPECT_FALSE(runsFromTemp(longFolder.c_str(), (longFolder + "2").c_str()));
    // Folders the system cannot convert are compared as they stand: in any
    // case, with or without a trailing backslash.
    EXPECT_TRUE(runsFromTemp("C:\\No such\\Temp\\", "c:\\NO SUCH\\temp"));
    EXPECT_FALSE(runsFromTemp(parent.c_str(), shortFolder));
    EXPECT_FALSE(runsFromTemp("", shortFolder));

    // The copy is "Orl<n>.exe" in its folder "Orl<n>" of the temp folder, in
    // either form; a program anywhere else makes a copy first.
    const struct {
        std::string program;
        bool copy;
    } programs[] = {
        {longFolder + "\\Orl1A2B\\Orl1A2B.exe", true},
        {std::string(shortFolder) + "\\ORL1A2B\\orl1a2b.EXE", true},
        {longFolder + "\\Orlf\\Orlf.exe", true},
        {longFolder + "\\Orl1A2B.exe", false},  // the temp folder itself is anyone's
        {longFolder + "\\Orl1A2B\\uninstall.exe", false},
        {longFolder + "\\Orl1A2B\\Orl1A2C.exe", false},
        {longFolder + "\\Orl12345\\Orl12345.exe", false},
        {longFolder + "\\OrlG\\OrlG.exe", false},
        {longFolder + "\\Orl\\Orl.exe", false},
        {longFolder + "\\x\\Orl1\\Orl1.exe", false},
        {parent + "\\Orl1\\Orl1.exe", false},
    };
    for (const auto& row : programs) EXPECT_EQ(row.copy, runsAsTempCopy(longFolder.c_str(), row.program.c_str())) << row.program;
    ts::removeTree(parent);
}

TEST(UninstallFolders, InstallFolderIsTheSetupPathWithoutItsLastComponent) {
    const struct {
        const char* value;
        const char* folder;  // nullptr: refused, as naming no absolute folder
    } rows[] = {
        {"D:\\Apps\\Pdf\\", "D:\\Apps\\Pdf"},
        // Stored without the trailing backslash: the folder above is taken.
        {"D:\\Apps\\Pdf", "D:\\Apps"},
        {"\\\\server\\share\\Pdf\\", "\\\\server\\share\\Pdf"},
        // The drive root stays a root; only named files are touched there.
        {"C:\\", "C:"},
        {"Pdf", nullptr}, {"Pdf\\", nullptr}, {"\\", nullptr}, {"\\Pdf\\", nullptr}, {"C:Pdf", nullptr},
        {"C:Pdf\\", nullptr}, {"1:\\x\\", nullptr}, {"\\\\\\x\\", nullptr}, {"", nullptr},
    };
    for (const auto& row : rows) {
        char folder[MAX_PATH] = "unchanged";
        EXPECT_EQ(row.folder != nullptr, installFolderFromSetupPath(row.value, folder)) << row.value;
        EXPECT_STREQ(row.folder ? row.folder : "", folder) << row.value;
    }
    EXPECT_TRUE(isDriveRoot("C:"));
    // What setup writes for a folder gives that folder back.
    for (const char* installDir : {"D:\\Apps\\Pdf", "\\\\server\\share\\Pdf", "C:"}) {
        char value[MAX_PATH], folder[MAX_PATH];
        ASSERT_TRUE(setupPathFromInstallFolder(installDir, value));
        EXPECT_TRUE(installFolderFromSetupPath(value, folder));
        EXPECT_STREQ(installDir, folder);
    }
}

TEST(UninstallFolders, ProductPathsAreNeverCutOrRelativeToTheDriveRoot) {
    char path[MAX_PATH];
    EXPECT_TRUE(productFilePath(path, "C:\\Pdf", "Uninstall.exe"));
    EXPECT_STREQ("C:\\Pdf\\Uninstall.exe", path);
    EXPECT_FALSE(productFilePath(path, "", "Uninstall.exe"));
    EXPECT_STREQ("", path);
    std::string deep = "C:\\" + std::string(240, 'x');
    EXPECT_FALSE(productFilePath(path, deep.c_str(), "OPS_WordAddin.dll"));
    EXPECT_STREQ("", path);
    EXPECT_TRUE(isDriveRoot("D:\\"));
    EXPECT_FALSE(isDriveRoot("\\\\server\\share"));
}

// The copy gets /S and the number of the log's handle, each a word of its
// own; the log's name stays with the first stage.
TEST(UninstallFolders, TempCopyCommandPassesSilenceAndTheLogsHandle) {
    const struct {
        const char* line;
        ULONG log;
        const char* command;
    } rows[] = {
        {"", 0, "\"C:\\T mp\\Orl1\\Orl1.exe\""},
        {"/S", 0, "\"C:\\T mp\\Orl1\\Orl1.exe\" /S"},
        {"/LOG=\"C:\\my logs\\u.log\"", 28, "\"C:\\T mp\\Orl1\\Orl1.exe\" /LOGHANDLE=28"},
        {"/log=C:\\u.log /s", 0xFFFFFFFC, "\"C:\\T mp\\Orl1\\Orl1.exe\" /S /LOGHANDLE=4294967292"},
    };
    for (const auto& row : rows) {
        Switches pass;
        ASSERT_TRUE(readSwitches(row.line, SwitchSet::Uninstall, pass)) << row.line;
        char command[kCopyCommandSize];
        ASSERT_TRUE(tempCopyCommand("C:\\T mp\\Orl1\\Orl1.exe", pass, ULongToHandle(row.log), command)) << row.line;
        EXPECT_STREQ(row.command, command);
    }
    // The longest copy path still fits.
    Switches pass;
    ASSERT_TRUE(readSwitches("/S", SwitchSet::Uninstall, pass));
    char command[kCopyCommandSize];
    EXPECT_TRUE(tempCopyCommand(("C:\\" + std::string(MAX_PATH - 4, 'c')).c_str(), pass, ULongToHandle(0xFFFFFFFC),
                                command));
}

namespace {
// Wine keeps no DACL of a file, only the access it maps it to: Everyone
// reads what was made without one, and nothing made with ours.
bool everyoneHasAccess(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return true;
    LocalMem held(descriptor);
    return sec::sddl(descriptor).find(";;;WD)") != std::string::npos;
}

BOOL WINAPI everyNameTaken(LPCSTR, LPSECURITY_ATTRIBUTES) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
}
UINT WINAPI removableDrive(LPCSTR) { return DRIVE_REMOVABLE; }
BOOL WINAPI fatVolume(LPCSTR, LPSTR, DWORD, LPDWORD, LPDWORD, LPDWORD flags, LPSTR, DWORD) {
    *flags = FILE_CASE_PRESERVED_NAMES;
    return TRUE;
}
// The copy's folder, but a user's in its place by the time it is held.
BOOL WINAPI madeWithADll(LPCSTR path, LPSECURITY_ATTRIBUTES) {
    if (!CreateDirectoryA(path, nullptr)) return FALSE;
    ts::writeFile(std::string(path) + "\\version.dll", "theirs");
    return TRUE;
}
BOOL WINAPI madeForEveryone(LPCSTR path, LPSECURITY_ATTRIBUTES) {
    return CreateDirectoryA(path, nullptr) && install_support::letEveryoneWrite(path);
}
DWORD WINAPI unreadable(LPCSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID*, PSID*, PACL*, PACL*,
                        PSECURITY_DESCRIPTOR*) {
    return ERROR_NOT_SUPPORTED;
}
// A user without administrator rights, which Wine's one user never is.
BOOL WINAPI noAdministrator(HANDLE, PSID, PBOOL member) {
    *member = FALSE;
    return TRUE;
}

// Under its own name: a library called netapi32.dll would be taken for the
// system's and Wine would load its own in its place.
std::string stubCopy() {
    static std::string path;
    if (path.empty()) {
        path = ts::makeTempDir("netapi") + "\\orlan_netapi_standin.dll";
        CopyFileA(ORLAN_NETAPI_STUB, path.c_str(), FALSE);
    }
    return path;
}
HMODULE loadStub(const char*) { return LoadLibraryA(stubCopy().c_str()); }
HMODULE loadNothing(const char*) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}
// A library without the account export: the program itself.
HMODULE loadWithoutExport(const char*) { return LoadLibraryA("kernel32.dll"); }
}  // namespace

// Names that something holds, a folder with a program in it or a file, are
// passed over untouched, across the wrap from FFFF to 1: the copy's folder is
// always new, made with the protected descriptor, and held until the copy
// has started; without administrator rights (2000 and XP) nothing is guarded
// and it takes the temp folder's, so that the user can put the copy there.
// Between its making and its start the copy could still be replaced where
// the system does not enforce the folder's rights: only a file with the
// program's own bytes is started.
TEST(TempCopy, CopyGoesIntoANewProtectedFolderAndStartsOnlyWithTheProgramsOwnBytes) {
    ts::PlantMarks marks;
    std::string temp = ts::makeTempDir("copies");
    ASSERT_TRUE(CreateDirectoryA((temp + "\\OrlFFFE").c_str(), nullptr));
    ts::writeFile(temp + "\\OrlFFFE\\OrlFFFE.exe", "theirs");
    ts::writeFile(temp + "\\OrlFFFF", "theirs");
    ASSERT_TRUE(CreateDirectoryA((temp + "\\Orl1").c_str(), nullptr));
    sec::SecurityStore store;
    const std::string source = ts::plantFile("marker.exe");
    char copy[MAX_PATH];
    FileHandle held;
    ASSERT_TRUE(makeTempCopy(temp.c_str(), source.c_str(), 0xFFFE, copy, held));
    EXPECT_EQ(temp + "\\Orl2\\Orl2.exe", copy);
    EXPECT_TRUE(held) << "the folder is not held";
    EXPECT_EQ(sec::kAdminsOnly, store.read(temp + "\\Orl2"));
    EXPECT_TRUE(ts::readFile(source) == ts::readFile(copy));
    EXPECT_EQ("theirs", ts::readFile(temp + "\\OrlFFFE\\OrlFFFE.exe"));
    EXPECT_EQ("theirs", ts::readFile(temp + "\\OrlFFFF"));
    EXPECT_FALSE(ts::fileExists(temp + "\\Orl1\\Orl1.exe"));
    held.reset();
    {
        ts::ScopedCalls<FolderSecurityCalls> plainUser(folderSecurityCalls);
        plainUser->checkTokenMembership = noAdministrator;
        char plain[MAX_PATH];
        ASSERT_TRUE(makeTempCopy(temp.c_str(), source.c_str(), 0x10, plain, held));
        EXPECT_EQ("", store.read(temp + "\\Orl10")) << "made with a descriptor";
        held.reset();
    }

    const std::string swapped = temp + "\\Orl1\\Orl1.exe", own = copy;
    ASSERT_TRUE(CopyFileA(source.c_str(), swapped.c_str(), FALSE));
    const Switches none = {};
    KernelHandle thread;
    EXPECT_FALSE(startTempCopy(ts::distFile("uninstall.exe").c_str(), swapped.c_str(), none, nullptr, thread));
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = ReadFile(1392)")) << errorText;
    EXPECT_TRUE(startTempCopy(source.c_str(), own.c_str(), none, nullptr, thread));
    ResumeThread(thread.get());
    ASSERT_TRUE(ts::waitUntil([&] { return !marks.left().empty(); }, 10000)) << "the copy did not start";
    std::vector<std::string> left = marks.left();
    ASSERT_EQ(1u, left.size());
    EXPECT_EQ(0u, left[0].find(own + " loaded by ")) << left[0];
    ts::waitUntil([&] { return DeleteFileA(own.c_str()) != 0; }, 10000);  // once the copy has ended
    ts::removeTree(temp);
}

// A link on the temp folder's path, every name taken, a temp folder where
// permissions are not kept (a share; FAT or a removable disk, which Wine
// never reports), or a folder that is not the one made when it is held (a
// user's with a DLL in it, or one users may change): no copy, nothing made
// but the user's folder, and the report says why.
TEST(TempCopy, NoCopyWhereALinkLiesOnTheWayOrEveryNameIsTakenOrTheFolderIsNotKept) {
    const std::string temp = ts::makeTempDir("nocopy"), real = temp + "\\real", link = temp + "\\link";
    ASSERT_TRUE(CreateDirectoryA(real.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((real + "\\Temp").c_str(), nullptr));
    ASSERT_TRUE(ts::makeFolderLink(link, real));
    const std::string copyFolder = real + "\\Temp\\Orl1";
    ts::ScopedCalls<FolderSecurityCalls> calls(folderSecurityCalls);
    const struct {
        std::string tempFolder;
        void (*arrange)(FolderSecurityCalls& calls);
        const char* report;
        bool folderLeft;  // the user's, with their file
    } rows[] = {
        {link + "\\Temp", [](FolderSecurityCalls&) {}, product::kTempPathLinked, false},
        {real + "\\Temp", [](FolderSecurityCalls& c) { c.createDirectory = everyNameTaken; },
         "Error tag = CreateDirectory(183)", false},
        {"\\\\server\\share\\Temp", [](FolderSecurityCalls&) {}, product::kTempFolderKeepsNoPermissions, false},
        {real + "\\Temp", [](FolderSecurityCalls& c) { c.getDriveType = removableDrive; },
         product::kTempFolderKeepsNoPermissions, false},
        {real + "\\Temp", [](FolderSecurityCalls& c) { c.getVolumeInformation = fatVolume; },
         product::kTempFolderKeepsNoPermissions, false},
        {real + "\\Temp", [](FolderSecurityCalls& c) { c.createDirectory = madeWithADll; },
         product::kTempCopyFolderChanged, true},
        {real + "\\Temp", [](FolderSecurityCalls& c) { c.createDirectory = madeForEveryone; },
         product::kTempCopyFolderChanged, false},
        {real + "\\Temp", [](FolderSecurityCalls& c) { c.getNamedSecurityInfo = unreadable; },
         "Error tag = GetNamedSecurityInfo(50)", false},
    };
    for (const auto& row : rows) {
        calls.restore();
        row.arrange(folderSecurityCalls);
        char copy[MAX_PATH] = "unchanged";
        FileHandle held;
        errorText[0] = '\0';
        EXPECT_FALSE(makeTempCopy(row.tempFolder.c_str(), ts::plantFile("marker.exe").c_str(), 1, copy, held))
            << row.report;
        EXPECT_STREQ("", copy);
        EXPECT_NE(nullptr, strstr(errorText, row.report)) << errorText;
        EXPECT_EQ(row.folderLeft, ts::folderExists(copyFolder)) << row.report;
        EXPECT_FALSE(ts::fileExists(copyFolder + "\\Orl1.exe"));
        ts::removeTree(copyFolder);
    }
    ts::removeFolderLink(link);
    ts::removeTree(temp);
}

// The one walk over a path's folders, which the link check and the held
// folders take: every folder below the drive or share, down to the path
// itself. A path without a drive or share to start from cannot be walked.
TEST(FolderWalks, GiveEveryFolderBelowTheDriveOrShare) {
    const struct {
        std::string path;
        bool valid;
        std::vector<std::string> folders;
    } rows[] = {
        {"C:\\a\\b\\c", true, {"C:\\a", "C:\\a\\b", "C:\\a\\b\\c"}},
        {"C:\\a\\\\b/c\\", true, {"C:\\a", "C:\\a\\\\b", "C:\\a\\\\b/c"}},
        {"\\\\srv\\share\\a\\b", true, {"\\\\srv\\share\\a", "\\\\srv\\share\\a\\b"}},
        {"//srv/share/a", true, {"//srv/share/a"}},
        {"C:\\", true, {}}, {"C:", true, {}}, {"\\\\srv\\share\\", true, {}},
        {"a\\b", false, {}}, {"C:a\\b", false, {}}, {"\\a\\b", false, {}}, {"\\\\srv", false, {}},
        {"\\\\\\share\\a", false, {}}, {"C:\\" + std::string(MAX_PATH, 'a'), false, {}},
    };
    for (const auto& row : rows) {
        FolderWalk walk(row.path.c_str());
        EXPECT_EQ(row.valid, walk.valid()) << row.path;
        std::vector<std::string> folders;
        while (const char* folder = walk.next()) folders.push_back(folder);
        EXPECT_EQ(row.folders, folders) << row.path;
    }
}

// Links as Wine makes them, Unix symbolic links: it reports them as reparse
// points by name, but a handle opened as the link itself is its target's.
// The link check finds one anywhere on the way, and no folder is held
// through one. A held folder cannot be renamed: its handle asks to list it,
// as NT (and Wine) keep the sharing only of a handle that asks for data.
TEST(FolderWalks, ALinkOnTheWayIsFoundAndNoFolderIsHeldThroughOne) {
    const std::string temp = ts::makeTempDir("links"), real = temp + "\\real", link = temp + "\\link";
    ASSERT_TRUE(CreateDirectoryA(real.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((real + "\\sub").c_str(), nullptr));
    ts::writeFile(real + "\\file", "x");
    ASSERT_TRUE(ts::makeFolderLink(link, real));
    const struct {
        std::string path;
        bool linked, held;
    } rows[] = {
        {real + "\\sub", false, true},
        {real + "\\sub\\missing\\deeper", false, false},  // the check ends where the path does
        {real + "\\file", false, false},
        {link, true, false},
        {link + "\\sub", true, false},
        {link + "\\missing", true, false},
        {temp + "\\bad|name\\sub", true, false},  // a folder that cannot be looked at
        {"C:\\" + std::string(MAX_PATH, 'a'), true, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.linked, reparsePointOnPath(row.path.c_str())) << row.path;
        EXPECT_EQ(row.held, HeldFolders(row.path.c_str()).safe()) << row.path;
    }
    {
        HeldFolders held((real + "\\sub").c_str());
        for (const std::string& folder : {real, real + "\\sub"})
            EXPECT_FALSE(MoveFileA(folder.c_str(), (folder + "2").c_str())) << folder;
    }
    ts::removeFolderLink(link);
    ts::removeTree(temp);
}

// What killed copies left goes with the next first stage: a copy's folder
// with its copy, or emptied. A copy still in use stays, and so does anything
// that is no copy's folder, a folder that is a link or that users may
// change, a copy that is a second name of another file, and what others put
// in a copy's folder.
TEST(TempCopy, TheSweepRemovesOnlyFoldersOfCopiesThatNoProcessUses) {
    const std::string temp = ts::makeTempDir("sweep"), elsewhere = temp + "\\Elsewhere";
    const struct {
        const char* name;
        char kind;  // a folder, one users may change, a file, or a link to elsewhere
        char copy;  // none, a file, or a second name of elsewhere's
        const char* also;  // another file in the folder
        bool gone;
    } rows[] = {
        {"Orl1A2B", 'd', 'f', nullptr, true},
        {"Orl1A2C", 'd', 0, nullptr, true},
        {"Orl1A2D", 'd', 'f', nullptr, false},  // held open below, as a running copy is
        {"Orl1A2E", 'd', 'f', "mine.txt", false},
        {"Orl1A2F", 'l', 0, nullptr, false},
        {"Orl1A31", 'u', 'f', nullptr, false},
        {"Orl1A32", 'd', 'h', nullptr, false},
        {"OrlZZ", 'd', 'f', nullptr, false},
        {"Orlan PDF", 'd', 'f', nullptr, false},
        {"Orl1A30", 'f', 0, nullptr, false},
    };
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
    const std::string theirs = elsewhere + "\\Orl1A2F.exe";
    ts::writeFile(theirs, "theirs");
    ASSERT_TRUE(SetFileAttributesA(theirs.c_str(), FILE_ATTRIBUTE_READONLY));
    for (const auto& row : rows) {
        const std::string path = temp + "\\" + row.name, copy = path + "\\" + row.name + ".exe";
        if (row.kind == 'f') ts::writeFile(path, "a file");
        ASSERT_TRUE(row.kind != 'l' || ts::makeFolderLink(path, elsewhere));
        if (row.kind == 'f' || row.kind == 'l') continue;
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
        ASSERT_TRUE(row.kind != 'u' || install_support::letEveryoneWrite(path));
        ASSERT_TRUE(row.copy != 'h' || CreateHardLinkA(copy.c_str(), theirs.c_str(), nullptr));
        if (row.copy == 'f') {
            ts::writeFile(copy, "copy");
            SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        if (row.also) ts::writeFile(path + "\\" + row.also, "mine");
    }
    FileHandle running(CreateFileA((temp + "\\Orl1A2D\\Orl1A2D.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(running);
    EXPECT_EQ(2, sweepTempCopies(temp.c_str()));
    for (const auto& row : rows)
        EXPECT_EQ(row.gone, GetFileAttributesA((temp + "\\" + row.name).c_str()) == INVALID_FILE_ATTRIBUTES) << row.name;
    EXPECT_TRUE(ts::fileExists(temp + "\\Orl1A2D\\Orl1A2D.exe"));
    EXPECT_TRUE(ts::fileExists(temp + "\\Orl1A2E\\mine.txt"));
    EXPECT_EQ("theirs", ts::readFile(theirs));
    EXPECT_TRUE(GetFileAttributesA(theirs.c_str()) & FILE_ATTRIBUTE_READONLY) << "changed through its second name";
    running.reset();
    ts::removeFolderLink(temp + "\\Orl1A2F");
    ts::removeTree(temp);
}

// The log is a new file that only administrators can change, whatever lay at
// its name: a second name of another file (a hard link) leaves that file
// alone. A pipe, a device, or a path through a link is refused when it is
// opened, and the first two when their handle is handed over; the handle is
// not closed then, as it is not the log's. A drive's root holds a log.
TEST(RunLog, IsANewPlainFileOrNone) {
    const std::string folder = ts::makeTempDir("log"), keep = folder + "\\keep.txt", log = folder + "\\run.log";
    const std::string real = folder + "\\real", link = folder + "\\link";
    ASSERT_TRUE(CreateDirectoryA(real.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((real + "\\sub").c_str(), nullptr));
    ASSERT_TRUE(ts::makeFolderLink(link, real));
    for (const std::string& kept : {real + "\\run.log", real + "\\sub\\run.log"}) ts::writeFile(kept, "keep");
    ts::writeFile(keep, "keep");
    ASSERT_TRUE(CreateHardLinkA(log.c_str(), keep.c_str(), nullptr));
    ASSERT_TRUE(runlog::open(log.c_str()));
    runlog::write("first");
    runlog::close();
    EXPECT_EQ("keep", ts::readFile(keep));
    EXPECT_NE(std::string::npos, ts::readFile(log).find("  first\r\n"));
    EXPECT_FALSE(everyoneHasAccess(log));
    EXPECT_TRUE(everyoneHasAccess(keep)) << "the check cannot tell the log from a file made plainly";

    // One end for the log's open, one for the handle handed over.
    HANDLE pipes[2];
    for (HANDLE& pipe : pipes) {
        pipe = CreateNamedPipeA("\\\\.\\pipe\\orlan-log", PIPE_ACCESS_INBOUND, 0, 2, 512, 512, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
    }
    for (const std::string& path : {std::string("\\\\.\\pipe\\orlan-log"), folder + "\\NUL.log", link + "\\run.log",
                                    link + "\\sub\\run.log"}) {
        EXPECT_FALSE(runlog::open(path.c_str())) << path;
        EXPECT_FALSE(runlog::isOpen());
    }
    for (const std::string& kept : {real + "\\run.log", real + "\\sub\\run.log"})
        EXPECT_EQ("keep", ts::readFile(kept)) << kept;
    FileHandle client(CreateFileA("\\\\.\\pipe\\orlan-log", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(client) << GetLastError();
    EXPECT_FALSE(runlog::adopt(client.get()));
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(client.get(), &flags)) << "the pipe's handle was closed";
    client.reset();
    for (HANDLE pipe : pipes) CloseHandle(pipe);

    // The first stage's log, continued through its handle, after what is there.
    FileHandle handed(CreateFileA(log.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(runlog::adopt(handed.release()));
    runlog::write("second");
    runlog::close();
    const std::string text = ts::readFile(log);
    EXPECT_LT(text.find("  first"), text.find("  second")) << text;
    EXPECT_TRUE(runlog::open("C:\\orlan-run.log"));
    runlog::close();
    EXPECT_TRUE(DeleteFileA("C:\\orlan-run.log"));
    ts::removeFolderLink(link);
    ts::removeTree(folder);
}

// cmd splits at "&", drops "^", expands "%OS%" and, with delayed expansion,
// "!OS!": none of them in the temp folder's path may cut or extend the
// command. cmd starts in the copy's folder and leaves it to remove it.
TEST(UninstallChecks, SelfDeleteCommandQuotesTheNamesAloneAndRunsInTheCopysFolder) {
    const char kCmd[] = "C:\\WINDOWS\\system32\\cmd.exe";
    const struct {
        const char* path;
        const char* folder;  // nullptr: refused
        const char* command;
    } cases[] = {
        {"C:\\users\\me\\Temp\\ORL1A2B\\ORL1A2B.EXE", "C:\\users\\me\\Temp\\ORL1A2B\\",
         "del \"ORL1A2B.EXE\" & cd .. & rd \"ORL1A2B\""},
        {"C:\\T\\R&D^x%OS%\\(a) !OS!\\ORL1A2B.EXE", "C:\\T\\R&D^x%OS%\\(a) !OS!\\",
         "del \"ORL1A2B.EXE\" & cd .. & rd \"(a) !OS!\""},
        {"C:\\ORL1\\ORL1A2B.EXE", "C:\\ORL1\\", "del \"ORL1A2B.EXE\" & cd .. & rd \"ORL1\""},
        {"C:\\Temp\\a&b\\a&b^c (d)!e!.exe", "C:\\Temp\\a&b\\", "del \"a&b^c (d)!e!.exe\" & cd .. & rd \"a&b\""},
        {"C:\\Temp\\x\\a%OS%b.exe", nullptr, nullptr},
        {"C:\\Temp\\x%OS%\\ORL1.EXE", nullptr, nullptr},
        // cmd will not run in a share: the whole paths, and no "%" anywhere.
        {"\\\\server\\share\\T&x\\ORL1\\ORL1.EXE", "",
         "del \"\\\\server\\share\\T&x\\ORL1\\ORL1.EXE\" & rd \"\\\\server\\share\\T&x\\ORL1\""},
        {"\\\\server\\share\\%OS%\\ORL1\\ORL1.EXE", nullptr, nullptr},
        {"C:\\ORL1A2B.EXE", nullptr, nullptr},  // no folder of its own
        {"ORL1.EXE", nullptr, nullptr},
        {"C:\\Temp\\", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        char folder[MAX_PATH] = "unchanged";
        char command[3 * MAX_PATH] = "";
        bool made = selfDeleteCommand(kCmd, c.path, folder, command, sizeof command);
        ASSERT_EQ(c.folder != nullptr, made) << c.path;
        if (!made) {
            EXPECT_STREQ("", folder) << c.path;
            continue;
        }
        EXPECT_STREQ(c.folder, folder) << c.path;
        EXPECT_EQ(std::string("\"") + kCmd + "\" /d /v:off /c " + c.command, command) << c.path;
    }
    // Both paths at their longest do not fit the command line: nothing cut.
    std::string longName = "C:\\T\\" + std::string(120, 'x') + "\\" + std::string(120, 'x');
    char folder[MAX_PATH];
    char command[520];
    EXPECT_FALSE(selfDeleteCommand(std::string(259, 'c').c_str(), longName.c_str(), folder, command, sizeof command));
    EXPECT_STREQ("", folder);
}

// Only a text value that names an absolute folder gives the install folder,
// and only under the root it was written to; reading makes no key.
TEST(SetupPathRecord, OnlyATextValueNamingAFolderGivesTheInstallFolder) {
    const struct {
        DWORD type;
        std::string data;
        const char* folder;  // nullptr: no folder
    } rows[] = {
        {REG_SZ, "C:\\Program Files\\Orlan Software\\PDF Scribe\\", "C:\\Program Files\\Orlan Software\\PDF Scribe"},
        {REG_DWORD, std::string("C:\\", 4), nullptr},  // a number that spells a drive
        {REG_SZ, "C:\\" + std::string(400, 'p') + "\\", nullptr},
        {REG_SZ, "PDF Scribe", nullptr},
        {REG_SZ, "", nullptr},
    };
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (const auto& row : rows) {
            SCOPED_TRACE((root == HKEY_CURRENT_USER ? "HKCU: " : "HKLM: ") + row.data.substr(0, 50));
            ts::regDeleteTree(HKEY_CURRENT_USER, product::kProductKey);
            ts::regDeleteTree(HKEY_LOCAL_MACHINE, product::kProductKey);
            const DWORD size = row.type == REG_SZ ? static_cast<DWORD>(row.data.size() + 1) : 4;
            ASSERT_TRUE(ts::regSet(root, product::kProductKey, "SetupPath", row.type, row.data.c_str(), size));
            char folder[MAX_PATH] = "unchanged";
            EXPECT_EQ(row.folder != nullptr, readInstallFolder(root, folder));
            EXPECT_STREQ(row.folder ? row.folder : "", folder);
            HKEY other = root == HKEY_CURRENT_USER ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
            EXPECT_FALSE(readInstallFolder(other, folder));
            EXPECT_FALSE(ts::regKeyExists(other, product::kProductKey)) << "setup asks before it installs anything";
        }
    }
    ts::regDeleteTree(HKEY_CURRENT_USER, product::kProductKey);
    ts::regDeleteTree(HKEY_LOCAL_MACHINE, product::kProductKey);
}

// Only privilege level 2 is an administrator; a test that cannot be made
// (user not found, as for a domain account; no library; no export) fails
// and leaves the flag as it was. Wine's own NetApi32, which the program
// loads from the system folder, answers with guest privilege.
TEST(AdminTest, OnlyPrivilegeLevelAdminCountsAndFailuresLeaveTheFlag) {
    ASSERT_EQ(netApiCalls.loadLibrary, &loadSystemLibrary);
    ts::ScopedCalls<NetApiCalls> netApi(netApiCalls);
    const struct {
        HMODULE (*load)(const char*);
        const char* priv;
        const char* status;
        bool done, admin;
    } cases[] = {
        {loadStub, "0", nullptr, true, false},
        {loadStub, "1", nullptr, true, false},
        {loadStub, "2", nullptr, true, true},
        {loadStub, "2", "2221", false, false},
        {loadNothing, "2", nullptr, false, false},
        {loadWithoutExport, "2", nullptr, false, false},
        {loadSystemLibrary, "2", nullptr, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        netApi->loadLibrary = c.load;
        SetEnvironmentVariableA("ORLAN_NETAPI_PRIV", c.priv);
        SetEnvironmentVariableA("ORLAN_NETAPI_STATUS", c.status);
        for (bool before : {false, true}) {
            bool admin = before;
            EXPECT_EQ(c.done, isUserAdmin(&admin));
            EXPECT_EQ(c.done ? c.admin : before, admin);
        }
    }
    SetEnvironmentVariableA("ORLAN_NETAPI_PRIV", nullptr);
    SetEnvironmentVariableA("ORLAN_NETAPI_STATUS", nullptr);
}

// Every user may read the machine's product key: only one that the user may
// also write lets them remove what it records, when the account record
// cannot say (a domain account). A known administrator may, a known plain
// user may not (the uninstaller's GUI tests).
TEST(MachineRecords, OnlyAKeyTheUserMayWriteCounts) {
    ts::regDeleteTree(HKEY_LOCAL_MACHINE, product::kProductKey);
    ts::regSetText(HKEY_LOCAL_MACHINE, product::kProductKey, "SetupPath", "C:\\Scribe\\");
    EXPECT_TRUE(canWriteMachineRecords());
    EXPECT_TRUE(mayRemoveMachineInstall(false, false, canWriteMachineRecords()));
    install_support::KeyRefusingValues key(HKEY_LOCAL_MACHINE, product::kProductKey);
    ASSERT_TRUE(key.ready());
    EXPECT_FALSE(canWriteMachineRecords());
    EXPECT_FALSE(mayRemoveMachineInstall(false, false, canWriteMachineRecords()));
}

// COMSPEC is the user's to set: the system's own cmd.exe deletes the file,
// read-only as it may be, and its folder, whatever program COMSPEC names.
TEST(SelfDelete, ComspecPlaysNoPartAndTheFileGoesWithItsFolder) {
    ts::PlantMarks marks;
    const std::string folder = ts::makeTempDir("selfdelete"), target = folder + "\\Orl5.exe";
    ts::writeFile(target, "copy");
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    char saved[MAX_PATH] = "";
    ASSERT_GT(GetEnvironmentVariableA("COMSPEC", saved, MAX_PATH), 0u);
    SetEnvironmentVariableA("COMSPEC", ts::plantFile("marker.exe").c_str());
    DWORD result = deleteAfterExit(target.c_str());
    SetEnvironmentVariableA("COMSPEC", saved);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(0u, result);
    EXPECT_TRUE(ts::waitUntil([&] { return !ts::folderExists(folder); }, 10000));
    EXPECT_EQ(std::vector<std::string>{}, marks.left()) << "COMSPEC's program was started";
}

// A name that cmd would expand ("%OS%" even between quotes) is not handed to
// it: nothing starts, the file stays, the error comes back.
TEST(SelfDelete, NameThatCmdWouldExpandStaysAndNothingStarts) {
    std::string target = ts::makeTempDir("selfdelete") + "\\Orl%OS%.exe";
    ts::writeFile(target, "copy");
    // The job counts every process started from this one from here on.
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    ASSERT_TRUE(job);
    ASSERT_TRUE(AssignProcessToJobObject(job, GetCurrentProcess()));
    auto started = [job] {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts = {};
        QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &counts, sizeof counts, nullptr);
        return counts.TotalProcesses;
    };
    const DWORD before = started();
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), deleteAfterExit(target.c_str()));
    EXPECT_EQ(before, started()) << "a command processor was started";
    CloseHandle(job);
    EXPECT_TRUE(ts::fileExists(target));
    // The priority stays as it was: nothing of the sequence ran.
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), GetPriorityClass(GetCurrentProcess()));
}
