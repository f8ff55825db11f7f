// Setup's start-up checks (through the narrow seam for what Wine cannot
// produce) and the folders it fixes.
#include <gtest/gtest.h>
#include "common/errorreport.h"
#include "common/product.h"
#include "setup/entry.h"
#include "setup/options.h"
#include "tests/support/scoped_calls.h"
#include "tests/support/spooler_support.h"
#include "tests/support/support.h"

namespace {
BOOL WINAPI reportsWow64(HANDLE, PBOOL flag) { *flag = TRUE; return TRUE; }
BOOL WINAPI reportsNative(HANDLE, PBOOL flag) { *flag = FALSE; return TRUE; }
BOOL WINAPI wow64CallFails(HANDLE, PBOOL flag) { *flag = TRUE; return FALSE; }
LONG WINAPI deniesKey(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD) {
    return ERROR_ACCESS_DENIED;
}
BOOL WINAPI reportsNt4(OSVERSIONINFOA* info) { info->dwMajorVersion = 4; info->dwMinorVersion = 0; return TRUE; }
int versionCalls;
BOOL WINAPI extendedFails(OSVERSIONINFOA* info) {
    ++versionCalls;
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
    info->dwMajorVersion = 5;
    return TRUE;
}
BOOL WINAPI alwaysFails(OSVERSIONINFOA*) { return FALSE; }

class SystemCheck : public ::testing::Test {
protected:
    testing_support::ScopedCalls<CheckCalls> calls{checkCalls};
};

TEST_F(SystemCheck, PassesOnWinesOwnAnswers) {
    EXPECT_EQ(nullptr, systemCheckMessage());
    // No arm is a WOW64 process: the i686 one runs in a 32-bit prefix, and a
    // 64-bit process never is one. The refusal is proven through the seam.
    BOOL wow64 = TRUE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    EXPECT_FALSE(wow64);
}

TEST_F(SystemCheck, SixtyFourBitHostGetsTheDownloadMessage) {
    calls->isWow64Process = reportsWow64;
    EXPECT_STREQ(
        "Orlan PDF Scribe of this version is for 32-bit operating systems.\nPlease download the 64-bit version from "
        ORLAN_DOWNLOAD_PAGE ".\nSetup will end.",
        systemCheckMessage());
    calls->isWow64Process = wow64CallFails;
    EXPECT_EQ(nullptr, systemCheckMessage()) << "a failing IsWow64Process call is no 64-bit answer";
    calls->isWow64Process = reportsNative;
    EXPECT_EQ(nullptr, systemCheckMessage());
}

TEST_F(SystemCheck, MissingRightsGetTheAdministratorMessage) {
    calls->regCreateKeyEx = deniesKey;
    EXPECT_STREQ("You must have administrator privileges for running the Setup program. \nSetup will end.",
                 systemCheckMessage());
}

TEST_F(SystemCheck, FirstFailingCheckWins) {
    calls->getVersionEx = reportsNt4;
    calls->isWow64Process = reportsWow64;
    calls->regCreateKeyEx = deniesKey;
    EXPECT_STREQ("Orlan PDF Scribe can't support operating systems before Windows 2000. \nSetup will end. ",
                 systemCheckMessage());
    calls->getVersionEx = alwaysFails;
    EXPECT_STREQ("Can't get the correct operating system information. \nSetup will end.", systemCheckMessage());
}

TEST_F(SystemCheck, FallsBackToThePlainVersionRecord) {
    versionCalls = 0;
    calls->getVersionEx = extendedFails;
    EXPECT_EQ(nullptr, systemCheckMessage());
    EXPECT_EQ(2, versionCalls);
}

TEST(InitFolders, SourceIsSetupsFolderAndInstallIsUnderProgramFiles) {
    ASSERT_EQ(1, initFolders(nullptr));
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    *strrchr(exe, '\\') = '\0';
    EXPECT_STREQ(exe, options.sourceDir);
    std::string programFiles;
    ASSERT_TRUE(testing_support::regValue(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir", &programFiles));
    EXPECT_EQ(std::string(programFiles.c_str()) + "\\Orlan Software\\PDF Scribe", options.installDir);
}

// Started from a folder too long for its path to fit: the system cuts the
// path at 260 characters and says so only by the length it returns. Setup
// stops with its report rather than take the cut path for its folder.
TEST(InitFolders, AProgramPathThatDoesNotFitStopsWithTheReport) {
    const std::string temp = testing_support::makeTempDir("long");
    std::wstring module = L"\\\\?\\" + std::wstring(temp.begin(), temp.end());
    for (int i = 0; i < 3; ++i) {
        module += L"\\" + std::wstring(90, L'a' + i);
        ASSERT_TRUE(CreateDirectoryW(module.c_str(), nullptr));
    }
    module += L"\\setup-module.dll";
    ASSERT_GE(module.size() - 4, static_cast<size_t>(MAX_PATH));
    std::wstring stub(ORLAN_NETAPI_STUB, ORLAN_NETAPI_STUB + strlen(ORLAN_NETAPI_STUB));
    ASSERT_TRUE(CopyFileW(stub.c_str(), module.c_str(), FALSE));
    HMODULE instance = LoadLibraryW(module.c_str());
    ASSERT_TRUE(instance);

    const InstallOptions saved = options;
    errorText[0] = '\0';
    spooler_support::BoxAnswerer answerer(product::kSetupBoxCaption, {IDOK}, 5000);
    EXPECT_EQ(0, initFolders(instance));
    const auto& boxes = answerer.finish();
    options = saved;
    FreeLibrary(instance);
    ASSERT_EQ(1u, boxes.size()) << "no report was shown";
    EXPECT_NE(std::string::npos, boxes[0].text.find("Error tag = GetModuleFileName(")) << boxes[0].text;
}

TEST(DefaultChoices, PutTheFolderAndAllThreeOptionsBackAfterCustomChangedThem) {
    const InstallOptions saved = options;
    lstrcpyA(options.installDir, "D:\\Apps\\My Pdf");
    options.addWordAddin = options.allUsers = options.addStartMenuIcon = 0;
    applyDefaultChoices();
    std::string programFiles;
    ASSERT_TRUE(testing_support::regValue(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir", &programFiles));
    EXPECT_EQ(std::string(programFiles.c_str()) + "\\Orlan Software\\PDF Scribe", options.installDir);
    EXPECT_EQ(1, options.addWordAddin);
    EXPECT_EQ(1, options.allUsers);
    EXPECT_EQ(1, options.addStartMenuIcon);
    options = saved;
}

// Without a "ProgramFilesDir", or with one too long for the product's
// sub-folder, the usual folder is taken, never one cut short.
TEST(InitFolders, WithoutAUsableProgramFilesDirTheUsualFolderIsTaken) {
    std::string saved;
    ASSERT_TRUE(testing_support::regValue(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir", &saved));
    const std::string overlong = "C:\\" + std::string(240, 'p');  // 243 + 26 for the sub-folder
    for (const char* value : {static_cast<const char*>(nullptr), overlong.c_str()}) {
        if (value)
            testing_support::regSetText(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir", value);
        else
            testing_support::regDeleteValue(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir");
        options.addWordAddin = options.allUsers = options.addStartMenuIcon = 0;
        applyDefaultChoices();
        EXPECT_STREQ("C:\\Program Files\\Orlan Software\\PDF Scribe", options.installDir)
            << (value ? "overlong" : "missing");
        EXPECT_EQ(1, options.addWordAddin);
        EXPECT_EQ(1, options.allUsers);
        EXPECT_EQ(1, options.addStartMenuIcon);
    }
    testing_support::regSetText(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir", saved.c_str());
}
}  // namespace
