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
// A user without rights: the key opens for reading only.
LONG WINAPI deniesWriting(HKEY root, LPCSTR key, DWORD, LPSTR, DWORD, REGSAM access, LPSECURITY_ATTRIBUTES,
                          PHKEY opened, LPDWORD) {
    if (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    return RegOpenKeyExA(root, key, 0, access, opened);
}
BOOL WINAPI reportsNt4(OSVERSIONINFOA* info) { info->dwMajorVersion = 4; info->dwMinorVersion = 0; return TRUE; }
int versionCalls;
// Only the plain version record is known.
BOOL WINAPI extendedFails(OSVERSIONINFOA* info) {
    ++versionCalls;
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
    info->dwMajorVersion = 5;
    return TRUE;
}
BOOL WINAPI alwaysFails(OSVERSIONINFOA*) { return FALSE; }

// The three checks through the seam, the first failing one winning; null
// fields keep Wine's own answers (no arm is a WOW64 process: the i686 one
// runs in a 32-bit prefix).
TEST(SystemCheck, EachRefusalGetsItsMessage) {
    const struct {
        decltype(CheckCalls::getVersionEx) version;
        decltype(CheckCalls::isWow64Process) wow64;
        decltype(CheckCalls::regCreateKeyEx) key;
        const char* message;
    } cases[] = {
        {nullptr, nullptr, nullptr, nullptr},
        {nullptr, reportsWow64, nullptr,
         "Orlan PDF Scribe of this version is for 32-bit operating systems.\nPlease download the 64-bit version "
         "from " ORLAN_DOWNLOAD_PAGE ".\nSetup will end."},
        {nullptr, wow64CallFails, nullptr, nullptr},  // a failing call is no 64-bit answer
        {nullptr, reportsNative, nullptr, nullptr},
        {nullptr, nullptr, deniesWriting,
         "You must have administrator privileges for running the Setup program. \nSetup will end."},
        {reportsNt4, reportsWow64, deniesWriting,
         "Orlan PDF Scribe can't support operating systems before Windows 2000. \nSetup will end. "},
        {alwaysFails, reportsWow64, deniesWriting,
         "Can't get the correct operating system information. \nSetup will end."},
        {extendedFails, nullptr, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        testing_support::ScopedCalls<CheckCalls> calls(checkCalls);
        if (c.version) calls->getVersionEx = c.version;
        if (c.wow64) calls->isWow64Process = c.wow64;
        if (c.key) calls->regCreateKeyEx = c.key;
        versionCalls = 0;
        EXPECT_STREQ(c.message, systemCheckMessage()) << "case " << &c - cases;
        if (c.version == extendedFails) EXPECT_EQ(2, versionCalls) << "falls back to the plain version record";
    }
}

std::string programFilesDir() {
    std::string value;
    EXPECT_TRUE(testing_support::regValue(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir", &value));
    return value.c_str();
}

TEST(InitFolders, SourceIsSetupsFolderAndInstallIsUnderProgramFiles) {
    ASSERT_EQ(1, initFolders(nullptr));
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    *strrchr(exe, '\\') = '\0';
    EXPECT_STREQ(exe, options.sourceDir);
    EXPECT_EQ(programFilesDir() + "\\Orlan Software\\PDF Scribe", options.installDir);
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

// After Custom changed them, the folder and all three options come back;
// without a "ProgramFilesDir", or with one too long for the product's
// sub-folder, the usual folder is taken, never one cut short.
TEST(DefaultChoices, PutTheFolderAndAllThreeOptionsBack) {
    const InstallOptions saved = options;
    const std::string programFiles = programFilesDir();
    ASSERT_FALSE(programFiles.empty()) << "the value this test writes back";
    const std::string overlong = "C:\\" + std::string(240, 'p');  // 243 + 26 for the sub-folder
    const struct {
        const char* value;  // null: no value
        std::string folder;
    } cases[] = {{programFiles.c_str(), programFiles + "\\Orlan Software\\PDF Scribe"},
                 {nullptr, "C:\\Program Files\\Orlan Software\\PDF Scribe"},
                 {overlong.c_str(), "C:\\Program Files\\Orlan Software\\PDF Scribe"}};
    for (const auto& c : cases) {
        if (c.value)
            testing_support::regSetText(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir", c.value);
        else
            testing_support::regDeleteValue(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir");
        lstrcpyA(options.installDir, "D:\\Apps\\My Pdf");
        options.addWordAddin = options.allUsers = options.addStartMenuIcon = 0;
        applyDefaultChoices();
        EXPECT_EQ(c.folder, options.installDir) << (c.value ? c.value : "no value");
        EXPECT_EQ(1, options.addWordAddin);
        EXPECT_EQ(1, options.allUsers);
        EXPECT_EQ(1, options.addStartMenuIcon);
    }
    testing_support::regSetText(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir", programFiles);
    options = saved;
}
}  // namespace
