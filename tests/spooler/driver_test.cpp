// The driver step and the test for an existing installation, against Wine's
// spooler with the stand-in driver files of dist/.
#include "common/dllsearch.h"
#include "common/product.h"
#include "tests/spooler/spooler_fixture.h"

using namespace spooler_support;
using testing_support::fileExists;

namespace {
BOOL WINAPI noDriverDirectory(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
}  // namespace

using DriverStep = SpoolerTest;

TEST_F(DriverStep, RegistersTheDriverFromTheStagedFiles) {
    // A driver under another letter case is not ours.
    ASSERT_TRUE(registerDriver(stagedSource(), "ORLAN PDF Printer Driver"));
    EXPECT_EQ(0, installer.isDriverInstalled());
    ASSERT_TRUE(deleteDriver("ORLAN PDF Printer Driver"));
    installer.printerStage = kStagePort;
    ASSERT_EQ(1, installer.addDriver()) << errorText;
    EXPECT_EQ(kStageDriver, installer.printerStage);
    EXPECT_TRUE(driverRegistered("Orlan PDF Printer Driver"));
    EXPECT_EQ(3, stagedDriverFiles(true));
    EXPECT_EQ(1, installer.isDriverInstalled());

    // Installing over it overwrites the staged files and registers it again.
    Installer again;
    prepare(again);
    EXPECT_EQ(1, again.addDriver()) << errorText;
    EXPECT_TRUE(driverRegistered("Orlan PDF Printer Driver"));
}

// The release's driver is for "Windows NT x86", kept in w32x86. The x86_64
// test build runs on a 64-bit spooler, which takes only its own environment.
TEST_F(DriverStep, TheEnvironmentIsTheBuildsOwn) {
#ifdef _WIN64
    const char environment[] = "Windows x64", folder[] = "\\x64";
#else
    const char environment[] = "Windows NT x86", folder[] = "\\w32x86";
#endif
    EXPECT_STREQ(environment, product::kEnvironment);
    std::string directory = driverDirectory();
    ASSERT_GT(directory.size(), strlen(folder));
    EXPECT_EQ(0, lstrcmpiA(folder, directory.c_str() + directory.size() - strlen(folder))) << directory;
}

TEST_F(DriverStep, MissingConfigurationModuleStopsAndClearsTheStagedNames) {
    std::string source = testing_support::makeTempDir("orlan_noui");
    testing_support::stageDist(source, {"kpd_ui.dll"});
    // Files of an earlier installation under the same names go as well.
    testing_support::writeFile(driverFile("kpd_ui.dll"), "old");
    testing_support::writeFile(driverFile("kpd_pnt.txt"), "old");

    prepare(installer, source);
    installer.printerStage = kStagePort;
    EXPECT_EQ(0, installer.addDriver());
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = CopyFile_2(2):")) << errorText;
    EXPECT_EQ(kStageDriverFiles, installer.printerStage);
    EXPECT_EQ(0, stagedDriverFiles());
    EXPECT_FALSE(driverRegistered("Orlan PDF Printer Driver"));
    testing_support::removeTree(source);
}

// Read-only payload files give no read-only copy, staged or in the spooler's
// version folder: the uninstaller could not delete it.
TEST_F(DriverStep, ReadOnlyDriverFilesLeaveNoReadOnlyCopy) {
    const char* const names[] = {"kpd_drv.dll", "kpd_ui.dll", "kpd_pnt.txt"};
    std::string source = testing_support::makeTempDir("orlan_ro");
    testing_support::stageDist(source);
    for (const char* name : names)
        SetFileAttributesA((source + "\\" + name).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);

    prepare(installer, source);
    ASSERT_EQ(1, installer.addDriver()) << errorText;
    for (const char* name : names) {
        for (const std::string& copy : {driverFile(name), versionFile(name)}) {
            DWORD attributes = GetFileAttributesA(copy.c_str());
            ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << copy;
            EXPECT_EQ(0u, attributes & FILE_ATTRIBUTE_READONLY) << copy;
        }
    }
    testing_support::removeTree(source);
}

// Wine's spooler runs in this process: AddPrinterDriver loads the
// configuration module from its version folder by full path alone and sends
// it DRIVER_EVENT_INITIALIZE. With the programs' search cut down to the
// system folder, the module must still find the driver module it imports.
TEST_F(DriverStep, TheSpoolersLoadOfTheConfigurationModuleFindsTheModuleItImports) {
    hardenDllSearch();  // as both programs do first thing; it stays for this process
    std::string source = testing_support::makeTempDir("orlan_neighbours");
    testing_support::stageDist(source);
    for (const char* name : {"kpd_drv.dll", "kpd_ui.dll"})
        ASSERT_TRUE(CopyFileA((std::string(ORLAN_NEIGHBOUR_DIR) + "\\" + name).c_str(),
                              (source + "\\" + name).c_str(), FALSE));
    const std::string mark = source + "\\driver-event.mark";
    SetEnvironmentVariableA("ORLAN_DRIVER_EVENT_MARK", mark.c_str());

    prepare(installer, source);
    EXPECT_EQ(1, installer.addDriver()) << errorText;
    SetEnvironmentVariableA("ORLAN_DRIVER_EVENT_MARK", nullptr);
    EXPECT_TRUE(fileExists(mark)) << "the configuration module was not loaded";
    testing_support::removeTree(source);
}

TEST_F(DriverStep, WithoutADriverDirectoryNothingIsCopiedAnywhere) {
    installer.driverDir[0] = '\0';
    installer.printerStage = kStagePort;
    spooler->getPrinterDriverDirectory = noDriverDirectory;
    char root[] = "\\kpd_drv.dll";
    bool inRootBefore = fileExists(root);
    EXPECT_EQ(0, installer.addDriver());
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = GetPrinterDriverDirectory(5):")) << errorText;
    EXPECT_EQ(kStagePort, installer.printerStage);
    EXPECT_EQ(inRootBefore, fileExists(root));
    EXPECT_FALSE(driverRegistered("Orlan PDF Printer Driver"));

    // When the directory can be learnt now, the step goes on with it.
    spooler.restore();
    EXPECT_EQ(1, installer.addDriver()) << errorText;
    EXPECT_STREQ(driverDirectory().c_str(), installer.driverDir);
}
