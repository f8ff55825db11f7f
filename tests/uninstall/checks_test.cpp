// The administrator test against a stand-in NetApi32.dll and Wine's own, and
// the self-deletion's refusals.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "common/handles.h"
#include "common/product.h"
#include "common/system.h"
#include "tests/support/install_support.h"
#include "tests/support/scoped_calls.h"
#include "tests/support/support.h"
#include "uninstall/uninstall.h"

namespace {

// Under its own name: a library called netapi32.dll would be taken for the
// system's and Wine would load its own in its place.
std::string stubCopy() {
    static std::string path;
    if (path.empty()) {
        path = testing_support::makeTempDir("netapi") + "\\orlan_netapi_standin.dll";
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

// Only privilege level 2 is an administrator; a test that cannot be made
// (user not found, as for a domain account; no library; no export) fails
// and leaves the flag as it was. Wine's own NetApi32, which the program
// loads from the system folder, answers with guest privilege.
TEST(AdminTest, OnlyPrivilegeLevelAdminCountsAndFailuresLeaveTheFlag) {
    ASSERT_EQ(netApiCalls.loadLibrary, &loadSystemLibrary);
    testing_support::ScopedCalls<NetApiCalls> netApi(netApiCalls);
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
    testing_support::regDeleteTree(HKEY_LOCAL_MACHINE, product::kProductKey);
    testing_support::regSetText(HKEY_LOCAL_MACHINE, product::kProductKey, "SetupPath", "C:\\Scribe\\");
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
    testing_support::PlantMarks marks;
    std::string target = testing_support::makeTempDir("selfdelete") + "\\Orl5.exe";
    testing_support::writeFile(target, "copy");
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    char saved[MAX_PATH] = "";
    ASSERT_GT(GetEnvironmentVariableA("COMSPEC", saved, MAX_PATH), 0u);
    SetEnvironmentVariableA("COMSPEC", testing_support::plantFile("marker.exe").c_str());
    DWORD result = deleteAfterExit(target.c_str());
    SetEnvironmentVariableA("COMSPEC", saved);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(0u, result);
    EXPECT_TRUE(testing_support::waitUntil([&] { return !testing_support::fileExists(target); }, 10000));
    EXPECT_EQ(std::vector<std::string>{}, marks.left()) << "COMSPEC's program was started";
}

// A name that cmd would expand ("%OS%" even between quotes) is not handed to
// it: nothing starts, the file stays, the error comes back.
TEST(SelfDelete, NameThatCmdWouldExpandStaysAndNothingStarts) {
    std::string target = testing_support::makeTempDir("selfdelete") + "\\Orl%OS%.exe";
    testing_support::writeFile(target, "copy");
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
    EXPECT_TRUE(testing_support::fileExists(target));
    // The priority stays as it was: nothing of the sequence ran.
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), GetPriorityClass(GetCurrentProcess()));
}
