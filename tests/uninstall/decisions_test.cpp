// The uninstaller's small decisions and checks: stage test, install folder,
// the temporary copy's name, making and start, command line, the
// administrator test against a stand-in NetApi32.dll and Wine's own, the
// rights rule, and the self-deletion and its refusals.
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>
#include "common/handles.h"
#include "common/product.h"
#include "common/setuppath.h"
#include "common/system.h"
#include "tests/support/install_support.h"
#include "tests/support/scoped_calls.h"
#include "tests/support/support.h"
#include "uninstall/uninstall.h"

namespace ts = testing_support;

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

// The copy gets the switches that concern it, each a word of its own.
TEST(UninstallFolders, TempCopyCommandPassesSilenceAndTheQuotedLog) {
    const struct {
        const char* line;
        const char* command;
    } rows[] = {
        {"", "\"C:\\T mp\\Orl1.exe\""},
        {"/S", "\"C:\\T mp\\Orl1.exe\" /S"},
        {"/LOG=\"C:\\my logs\\u.log\"", "\"C:\\T mp\\Orl1.exe\" \"/LOG=C:\\my logs\\u.log\""},
        {"/log=C:\\u.log /s", "\"C:\\T mp\\Orl1.exe\" /S \"/LOG=C:\\u.log\""},
    };
    for (const auto& row : rows) {
        Switches pass;
        ASSERT_TRUE(readSwitches(row.line, SwitchSet::Uninstall, pass)) << row.line;
        char command[kCopyCommandSize];
        ASSERT_TRUE(tempCopyCommand("C:\\T mp\\Orl1.exe", pass, command)) << row.line;
        EXPECT_STREQ(row.command, command);
    }
    // The longest copy path and log path still fit.
    Switches pass;
    std::string log = "C:\\" + std::string(MAX_PATH - 4, 'l');
    ASSERT_TRUE(readSwitches(("/S /LOG=" + log).c_str(), SwitchSet::Uninstall, pass));
    char command[kCopyCommandSize];
    EXPECT_TRUE(tempCopyCommand(("C:\\" + std::string(MAX_PATH - 4, 'c')).c_str(), pass, command));
}

namespace {
// The copy's name for number n in folder: the system's temp name with "exe".
std::string copyName(const std::string& folder, UINT n) {
    char name[MAX_PATH];
    GetTempFileNameA(folder.c_str(), "Orl", n, name);
    return std::string(name, lstrlenA(name) - 3) + "exe";
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

// Files under the copy's names, writable and read-only, may have been left
// for an elevated process to write over and start: each is passed over
// untouched, across the wrap from FFFF to 1, and the copy is a new file.
// Between its making and its start the copy is the user's to replace: only a
// file with the program's own bytes is started.
TEST(UninstallFolders, TempCopyIsANewFileThatStartsOnlyWithTheProgramsOwnBytes) {
    ts::PlantMarks marks;
    std::string folder = ts::makeTempDir("copies");
    const UINT planted[] = {0xFFFE, 0xFFFF, 1};
    for (UINT n : planted) {
        ts::writeFile(copyName(folder, n), "theirs");
        if (n & 1) {
            ASSERT_TRUE(SetFileAttributesA(copyName(folder, n).c_str(), FILE_ATTRIBUTE_READONLY));
        }
    }
    const std::string source = ts::plantFile("marker.exe");
    char copy[MAX_PATH];
    ASSERT_TRUE(makeTempCopy(folder.c_str(), source.c_str(), 0xFFFE, copy));
    EXPECT_EQ(copyName(folder, 2), copy);
    EXPECT_TRUE(ts::readFile(source) == ts::readFile(copy));
    for (UINT n : planted)
        EXPECT_TRUE(ts::readFile(copyName(folder, n)) == "theirs") << copyName(folder, n) << " was written over";
    char tiny[MAX_PATH] = "ab";  // too short to hold an extension: left alone
    EXPECT_FALSE(tempCopyName(tiny));
    EXPECT_STREQ("ab", tiny);

    const std::string swapped = folder + "\\Orl7.exe", own = copy;
    ASSERT_TRUE(CopyFileA(source.c_str(), swapped.c_str(), FALSE));
    const Switches none = {};
    KernelHandle thread;
    EXPECT_FALSE(startTempCopy(ts::distFile("uninstall.exe").c_str(), swapped.c_str(), none, thread));
    EXPECT_TRUE(startTempCopy(source.c_str(), own.c_str(), none, thread));
    ResumeThread(thread.get());
    ASSERT_TRUE(ts::waitUntil([&] { return !marks.left().empty(); }, 10000)) << "the copy did not start";
    std::vector<std::string> left = marks.left();
    ASSERT_EQ(1u, left.size());
    EXPECT_EQ(0u, left[0].find(own + " loaded by ")) << left[0];
    ts::waitUntil([&] { return DeleteFileA(own.c_str()) != 0; }, 10000);  // once the copy has ended
    ts::removeTree(folder);
}

// cmd splits at "&", drops "^", expands "%OS%" and, with delayed expansion,
// "!OS!": none of them in a folder may cut or extend the command.
TEST(UninstallChecks, SelfDeleteCommandQuotesTheNameAloneAndRunsInTheFolder) {
    const char kCmd[] = "C:\\WINDOWS\\system32\\cmd.exe";
    const struct {
        const char* path;
        const char* folder;  // nullptr: refused
        const char* target;
    } cases[] = {
        {"C:\\users\\me\\Temp\\ORL1A2B.EXE", "C:\\users\\me\\Temp\\", "ORL1A2B.EXE"},
        {"C:\\T\\R&D^x%OS%\\(a) !OS!\\ORL1A2B.EXE", "C:\\T\\R&D^x%OS%\\(a) !OS!\\", "ORL1A2B.EXE"},
        {"C:\\ORL1A2B.EXE", "C:\\", "ORL1A2B.EXE"},
        {"C:\\Temp\\a&b^c (d)!e!.exe", "C:\\Temp\\", "a&b^c (d)!e!.exe"},
        {"C:\\Temp\\a%OS%b.exe", nullptr, nullptr},
        // cmd will not run in a share: the whole path, and no "%" anywhere.
        {"\\\\server\\share\\T&x\\ORL1.EXE", "", "\\\\server\\share\\T&x\\ORL1.EXE"},
        {"\\\\server\\share\\%OS%\\ORL1.EXE", nullptr, nullptr},
        {"ORL1.EXE", nullptr, nullptr},
        {"C:\\Temp\\", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        char folder[MAX_PATH] = "unchanged";
        char command[520] = "";
        bool made = selfDeleteCommand(kCmd, c.path, folder, command, sizeof command);
        ASSERT_EQ(c.folder != nullptr, made) << c.path;
        if (!made) {
            EXPECT_STREQ("", folder) << c.path;
            continue;
        }
        EXPECT_STREQ(c.folder, folder) << c.path;
        EXPECT_EQ(std::string("\"") + kCmd + "\" /d /v:off /c del \"" + c.target + "\"", command) << c.path;
    }
    // Both paths at their longest do not fit the command line: nothing cut.
    std::string longName = "C:\\T\\" + std::string(250, 'x');
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
// read-only as it may be, whatever program COMSPEC names.
TEST(SelfDelete, ComspecPlaysNoPartAndTheFileGoes) {
    ts::PlantMarks marks;
    std::string target = ts::makeTempDir("selfdelete") + "\\Orl5.exe";
    ts::writeFile(target, "copy");
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    char saved[MAX_PATH] = "";
    ASSERT_GT(GetEnvironmentVariableA("COMSPEC", saved, MAX_PATH), 0u);
    SetEnvironmentVariableA("COMSPEC", ts::plantFile("marker.exe").c_str());
    DWORD result = deleteAfterExit(target.c_str());
    SetEnvironmentVariableA("COMSPEC", saved);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(0u, result);
    EXPECT_TRUE(ts::waitUntil([&] { return !ts::fileExists(target); }, 10000));
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
