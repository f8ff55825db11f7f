// The port, driver and printer steps, the test for an existing installation
// and the removal of the product's printers, driver and staged files with its
// prompts answered the way a user would, against Wine's spooler with the
// stand-in driver files of dist/. The monitor's answers that Wine cannot
// produce come through the spooler seam; setup's run makes the real port.
#include <algorithm>
#include "common/dllsearch.h"
#include "common/product.h"
#include "install/install.h"
#include "tests/spooler/spooler_fixture.h"
#include "tests/support/install_support.h"

using namespace spooler_support;

namespace {
DWORD fakeStatus;
BOOL xcvCalledWithPort;
BOOL WINAPI xcvAnswersStatus(HANDLE, PCWSTR command, PBYTE input, DWORD inputSize, PBYTE, DWORD, PDWORD,
                             PDWORD status) {
    xcvCalledWithPort = lstrcmpW(command, L"AddPort") == 0 && inputSize == 22 &&
                        lstrcmpW(reinterpret_cast<PCWSTR>(input), L"ORLAN_PDF:") == 0;
    *status = fakeStatus;
    return TRUE;
}
BOOL WINAPI xcvFails(HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD, PDWORD) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
BOOL WINAPI monitorDenied(LPSTR, LPHANDLE handle, LPPRINTER_DEFAULTSA) {
    *handle = nullptr;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
HANDLE WINAPI addPrinterRefused(LPSTR, DWORD, LPBYTE) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return nullptr;
}
const char kJobsBox[] =
    "Can't delete Orlan PDF Printer. \nPlease close all the applications that may be using the printer and try "
    "again.";

const char kOpenPrompt[] =
    "Cannot open Orlan PDF Printer. \nPlease close all the applications that may be using the printer and try "
    "again, \nor click 'CANCEL' to quit.";
const char kDeletePrompt[] =
    "Can't delete Orlan PDF Printer. \nPlease close all the applications that may be using the printer and try "
    "again, \nor click 'CANCEL' to quit.";

// Printers a user holds open: the first attempt on each fails once.
std::vector<std::string> openedOnce;
int deleteCalls;
BOOL WINAPI openFailsOncePerPrinter(LPSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSA defaults) {
    if (std::find(openedOnce.begin(), openedOnce.end(), name) == openedOnce.end()) {
        openedOnce.push_back(name);
        *handle = nullptr;
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return OpenPrinterA(name, handle, defaults);
}
BOOL WINAPI deleteFailsOnce(HANDLE printer) {
    if (deleteCalls++ == 0) {
        SetLastError(ERROR_BUSY);
        return FALSE;
    }
    return DeletePrinter(printer);
}
// The spooler's answer, with a job queued on "Busy Other" and, while
// copyBusy, on the user's copy of the product's printer.
bool copyBusy;
BOOL WINAPI withJobs(DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD count) {
    if (!EnumPrintersA(flags, name, level, buffer, size, needed, count)) return FALSE;
    PRINTER_INFO_2A* printers = reinterpret_cast<PRINTER_INFO_2A*>(buffer);
    for (DWORD i = 0; buffer && i < *count; ++i)
        if ((copyBusy && strcmp(printers[i].pPrinterName, "PDF Copy") == 0) ||
            strcmp(printers[i].pPrinterName, "Busy Other") == 0)
            printers[i].cJobs = 1;
    return TRUE;
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
    const std::string release = install_support::payloadTableOf(source, {"kpd_drv.dll", "kpd_ui.dll", "kpd_pnt.txt"});
    installer.payloadTable = PayloadTable{release.c_str(), static_cast<DWORD>(release.size())};
    EXPECT_EQ(1, installer.addDriver()) << errorText;
    SetEnvironmentVariableA("ORLAN_DRIVER_EVENT_MARK", nullptr);
    EXPECT_TRUE(testing_support::fileExists(mark)) << "the configuration module was not loaded";
    testing_support::removeTree(source);
}

TEST_F(DriverStep, WithoutADriverDirectoryNothingIsCopiedAnywhere) {
    installer.driverDir[0] = '\0';
    installer.printerStage = kStagePort;
    spooler->getPrinterDriverDirectory = noDriverDirectory;
    char root[] = "\\kpd_drv.dll";
    bool inRootBefore = testing_support::fileExists(root);
    EXPECT_EQ(0, installer.addDriver());
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = GetPrinterDriverDirectory(5):")) << errorText;
    EXPECT_EQ(kStagePort, installer.printerStage);
    EXPECT_EQ(inRootBefore, testing_support::fileExists(root));
    EXPECT_FALSE(driverRegistered("Orlan PDF Printer Driver"));

    // When the directory can be learnt now, the step goes on with it.
    spooler.restore();
    EXPECT_EQ(1, installer.addDriver()) << errorText;
    EXPECT_STREQ(driverDirectory().c_str(), installer.driverDir);
}

using PortStep = SpoolerTest;

TEST_F(PortStep, MonitorThatCannotBeOpenedLeavesTheFixedText) {
    spooler->openMonitor = monitorDenied;
    reportError("EarlierTag", 5);
    EXPECT_EQ(0, installer.addPort());
    EXPECT_EQ(kStageNothing, installer.printerStage);
    EXPECT_STREQ("Error happened to Orlan PDF Scribe, installation might not be complete.\n"
                 "Make sure you have the administrative privilege.",
                 errorText);
}

// Only a status with the top bit set fails; a failing call carries its error.
TEST_F(PortStep, XcvFailuresAreReportedWithTheirTag) {
    struct Case { decltype(spooler->xcvData) xcv; DWORD status; const char* tag; };
    const Case cases[] = {{xcvAnswersStatus, 0, nullptr},
                          {xcvAnswersStatus, 5, nullptr},
                          {xcvAnswersStatus, 183, nullptr},
                          {xcvAnswersStatus, 0x7FFFFFFF, nullptr},
                          {xcvAnswersStatus, 0x80070005, "Error tag = XcvData_2(-2147024891):"},
                          {xcvAnswersStatus, 0x80000000, "Error tag = XcvData_2(-2147483648):"},
                          {xcvFails, 0, "Error tag = XcvData_1(6):"}};
    for (const Case& c : cases) {
        spooler->xcvData = c.xcv;
        fakeStatus = c.status;
        xcvCalledWithPort = FALSE;
        errorText[0] = '\0';
        Installer installer;
        EXPECT_EQ(c.tag ? 0 : 1, installer.addPort()) << "status " << c.status;
        EXPECT_EQ(c.tag ? kStageNothing : kStagePort, installer.printerStage) << "status " << c.status;
        if (c.tag) {
            EXPECT_NE(nullptr, strstr(errorText, c.tag)) << errorText;
        } else {
            EXPECT_STREQ("", errorText) << "status " << c.status;
        }
        if (c.xcv == xcvAnswersStatus) {
            EXPECT_TRUE(xcvCalledWithPort) << "AddPort must carry the wide port name, 22 bytes with its terminator";
        }
    }
}

class PrinterStep : public SpoolerTest {
protected:
    // Port and driver as the run's earlier steps leave them.
    void installPortAndDriver() {
        ASSERT_EQ(1, installer.addPort()) << errorText;
        ASSERT_EQ(1, installer.addDriver()) << errorText;
    }
};

// A printer of the product's name on another driver and port is the user's
// to keep as it is.
TEST_F(PrinterStep, AnExistingPrinterOfThatNameIsAcceptedUnchanged) {
    installPortAndDriver();
    OtherPrinter existing(stagedSource(), "Orlan PDF Printer");
    ASSERT_TRUE(existing.ready());
    EXPECT_EQ(1, installer.addPrinter()) << errorText;
    EXPECT_EQ(kStagePrinter, installer.printerStage);
    PrinterFacts facts = printerFacts("Orlan PDF Printer");
    EXPECT_EQ("LPT1:", facts.port);
    EXPECT_EQ(OtherPrinter::kDriver, facts.driver);
}

TEST_F(PrinterStep, AFailingPrinterStepDeletesTheDriverOfTheSameRun) {
    installPortAndDriver();
    ASSERT_TRUE(driverRegistered("Orlan PDF Printer Driver"));
    spooler->addPrinter = addPrinterRefused;
    EXPECT_EQ(0, installer.addPrinter());
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = AddPrinter(1801):")) << errorText;
    EXPECT_EQ(kStageDriver, installer.printerStage);
    EXPECT_FALSE(driverRegistered("Orlan PDF Printer Driver"));
    EXPECT_EQ(0, stagedDriverFiles());
    EXPECT_FALSE(printerFacts("Orlan PDF Printer").exists);
    EXPECT_TRUE(productPortListed()) << "the port stays";
}

TEST_F(PrinterStep, CreatesThePrinterWhichIsMadeTheDefaultThroughTheLookedUpFunctions) {
    installPortAndDriver();
    ASSERT_EQ(1, installer.addPrinter()) << errorText;
    EXPECT_EQ(kStagePrinter, installer.printerStage);
    PrinterFacts facts = printerFacts("Orlan PDF Printer");
    EXPECT_TRUE(isProductPrinter(facts));
    EXPECT_NE(0u, facts.attributes & PRINTER_ATTRIBUTE_LOCAL);
    ASSERT_TRUE(setDefaultPrinter("Orlan PDF Printer"));
    EXPECT_EQ("Orlan PDF Printer", defaultPrinter());

    char name[264] = "";
    DWORD size = sizeof name;
    EXPECT_TRUE(getDefaultPrinter(name, &size));
    EXPECT_STREQ("Orlan PDF Printer", name);

    // A buffer too small for the name is refused, not overrun.
    char small[8];
    memset(small, 'x', sizeof small);
    DWORD smallSize = 4;
    EXPECT_FALSE(getDefaultPrinter(small, &smallSize));
    EXPECT_EQ('x', small[4]);
    EXPECT_FALSE(setDefaultPrinter("No Such Printer"));
    EXPECT_EQ("Orlan PDF Printer", defaultPrinter());
}

using Removal = SpoolerTest;

TEST_F(Removal, EarlyStagesDeleteNothing) {
    stageDriverFiles();
    failDriverDeletions(spooler, 1000);
    for (int stage : {kStageNothing, kStagePort}) {
        installer.printerStage = stage;
        EXPECT_EQ(1, installer.removePrinterAndDriver());
        EXPECT_EQ(3, stagedDriverFiles()) << "stage " << stage;
    }
    installer.printerStage = kStageDriverFiles;
    EXPECT_EQ(1, installer.removePrinterAndDriver());
    EXPECT_EQ(0, stagedDriverFiles());
    EXPECT_EQ(0, driverCalls) << "the driver was deleted before its stage";
}

// A driver that is gone is no failure, whatever the spooler answers: no
// prompt, no retry. Wine's spooler still lists a driver whose deletion
// answered 1797; a listed driver that fails without saying why still asks.
TEST_F(Removal, ADriverThatIsGoneIsNoFailureWhateverTheSpoolerSays) {
    const struct {
        bool registered;
        DWORD error;
        size_t prompts;
    } cases[] = {{true, ERROR_UNKNOWN_PRINTER_DRIVER, 0}, {false, 0, 0}, {true, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        installer.printerStage = kStageDriver;
        if (c.registered) ASSERT_TRUE(registerDriver(stagedSource(), "Orlan PDF Printer Driver"));
        stageDriverFiles();
        failDriverDeletions(spooler, 1000, c.error);
        BoxAnswerer answerer("Orlan PDF Scribe", {IDCANCEL});
        EXPECT_EQ(c.prompts ? 0 : 1, installer.removePrinterAndDriver());
        EXPECT_EQ(c.prompts, answerer.finish().size());
        EXPECT_EQ(1, driverCalls) << "no retry";
        EXPECT_EQ(c.prompts ? 3 : 0, stagedDriverFiles());
        removeProduct();
    }
}

TEST_F(Removal, BusyDriverPromptRetriesOnOkAndGivesUpOnCancel) {
    ASSERT_TRUE(registerDriver(stagedSource(), "Orlan PDF Printer Driver"));
    installer.printerStage = kStageDriver;
    stageDriverFiles();
    failDriverDeletions(spooler, 1);
    {
        BoxAnswerer answerer("Orlan PDF Scribe", {IDCANCEL});
        EXPECT_EQ(0, installer.removePrinterAndDriver());
        EXPECT_TRUE(showed(answerer.finish(), {kDriverPrompt}));
    }
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = Orlan PDF Driver can't be deleted(3001):")) << errorText;
    EXPECT_TRUE(driverRegistered("Orlan PDF Printer Driver"));
    // Setup's form: a cancelled driver prompt keeps the staged files and puts
    // no printer back.
    EXPECT_EQ(3, stagedDriverFiles());
    EXPECT_FALSE(printerFacts("Orlan PDF Printer").exists);

    driverCalls = 0;
    {
        BoxAnswerer answerer("Orlan PDF Scribe", {IDOK});
        EXPECT_EQ(1, installer.removePrinterAndDriver()) << errorText;
        EXPECT_TRUE(showed(answerer.finish(), {kDriverPrompt}));
    }
    EXPECT_EQ(2, driverCalls);
    EXPECT_FALSE(driverRegistered("Orlan PDF Printer Driver"));
    EXPECT_EQ(0, stagedDriverFiles());
}

// A cancelled prompt stops the removal with the report; after OK each
// printer is tried again. Every prompt names the product's printer.
TEST_F(Removal, EveryPromptForEitherPrinterNamesTheProductPrinterAndCancelStops) {
    installPrinter();
    ASSERT_TRUE(addPrinterOn("PDF Copy", "ORLAN_PDF:", "Orlan PDF Printer Driver"));
    openedOnce.clear();
    spooler->openPrinter = openFailsOncePerPrinter;
    {
        BoxAnswerer answerer("Orlan PDF Scribe", {IDCANCEL});
        EXPECT_EQ(0, installer.removePrinterAndDriver());
        EXPECT_TRUE(showed(answerer.finish(), {kOpenPrompt}));
    }
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = Orlan PDF Printer can not be opened(5):")) << errorText;
    EXPECT_TRUE(printerFacts("Orlan PDF Printer").exists);
    EXPECT_TRUE(driverRegistered("Orlan PDF Printer Driver")) << "the driver is not tried after a cancel";

    openedOnce.clear();
    deleteCalls = 0;
    spooler->deletePrinter = deleteFailsOnce;
    BoxAnswerer answerer("Orlan PDF Scribe", {IDOK, IDOK, IDOK});
    EXPECT_EQ(1, installer.deleteProductPrinters()) << errorText;
    EXPECT_TRUE(showed(answerer.finish(), {kOpenPrompt, kDeletePrompt, kOpenPrompt}));
    EXPECT_EQ(2u, openedOnce.size()) << "both printers were opened";
    EXPECT_TRUE(printersOnDriver("Orlan PDF Printer Driver").empty());
}

TEST_F(Removal, QueuedJobsStopTheRemovalUntilTheyAreGoneAndThenOnlyTheProductGoes) {
    installPrinter();
    ASSERT_TRUE(addPrinterOn("PDF Copy", "ORLAN_PDF:", "Orlan PDF Printer Driver"));
    OtherPrinter busyOther(stagedSource(), "Busy Other");
    ASSERT_TRUE(busyOther.ready());
    stageDriverFiles();
    copyBusy = true;
    spooler->enumPrinters = withJobs;
    {
        BoxAnswerer answerer("Orlan PDF Scribe", {IDOK});
        EXPECT_EQ(0, installer.removePrinterAndDriver());
        // The box names the product's printer, whichever is busy.
        EXPECT_TRUE(showed(answerer.finish(), {kJobsBox}, {IDOK}));
    }
    EXPECT_STREQ("", errorText) << "queued jobs compose no report";
    EXPECT_TRUE(printerFacts("PDF Copy").exists);

    // Once the jobs are gone every printer on the product's driver goes, the
    // driver and its files with them; a busy printer on another driver does
    // not hinder that, and it stays with its driver.
    copyBusy = false;
    EXPECT_EQ(1, installer.removePrinterAndDriver()) << errorText;
    EXPECT_TRUE(printersOnDriver("Orlan PDF Printer Driver").empty());
    EXPECT_FALSE(driverRegistered("Orlan PDF Printer Driver"));
    EXPECT_EQ(0, stagedDriverFiles());
    EXPECT_TRUE(printerFacts("Busy Other").exists);
    EXPECT_TRUE(driverRegistered(OtherPrinter::kDriver));
}
