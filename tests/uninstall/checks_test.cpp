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

class AdminTest : public ::testing::Test {
protected:
    void SetUp() override {
        netApi->loadLibrary = loadStub;
        SetEnvironmentVariableA("ORLAN_NETAPI_STATUS", nullptr);
        SetEnvironmentVariableA("ORLAN_NETAPI_PRIV", nullptr);
    }
    void TearDown() override {
        SetEnvironmentVariableA("ORLAN_NETAPI_STATUS", nullptr);
        SetEnvironmentVariableA("ORLAN_NETAPI_PRIV", nullptr);
    }
    testing_support::ScopedCalls<NetApiCalls> netApi{netApiCalls};
};

}  // namespace

TEST_F(AdminTest, OnlyPrivilegeLevelAdminCounts) {
    const struct {
        const char* priv;
        bool admin;
    } cases[] = {{"0", false}, {"1", false}, {"2", true}};
    for (const auto& c : cases) {
        SetEnvironmentVariableA("ORLAN_NETAPI_PRIV", c.priv);
        bool admin = !c.admin;
        ASSERT_TRUE(isUserAdmin(&admin)) << c.priv;
        EXPECT_EQ(c.admin, admin) << c.priv;
    }
}

TEST_F(AdminTest, FailuresLeaveTheFlagUntouched) {
    SetEnvironmentVariableA("ORLAN_NETAPI_STATUS", "2221");  // user not found, as for a domain account
    bool admin = true;
    EXPECT_FALSE(isUserAdmin(&admin));
    EXPECT_TRUE(admin);
    admin = false;
    EXPECT_FALSE(isUserAdmin(&admin));
    EXPECT_FALSE(admin);

    SetEnvironmentVariableA("ORLAN_NETAPI_STATUS", nullptr);
    netApi->loadLibrary = loadNothing;
    admin = true;
    EXPECT_FALSE(isUserAdmin(&admin));
    EXPECT_TRUE(admin);

    netApi->loadLibrary = loadWithoutExport;
    admin = true;
    EXPECT_FALSE(isUserAdmin(&admin));
    EXPECT_TRUE(admin);
}

// Wine's own NetApi32 from the system folder answers with guest privilege.
TEST(AdminTestSystem, SystemLibraryAnswersForTheCurrentUser) {
    ASSERT_EQ(netApiCalls.loadLibrary, &loadSystemLibrary);
    bool admin = true;
    ASSERT_TRUE(isUserAdmin(&admin));
    EXPECT_FALSE(admin);
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
