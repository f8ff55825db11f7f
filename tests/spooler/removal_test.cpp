// Removal of the product's printers, driver and staged files, with its
// prompts answered the way a user would.
#include <algorithm>
#include "common/product.h"
#include "tests/spooler/spooler_fixture.h"

using namespace spooler_support;

namespace {
int driverCalls;
DWORD driverError;
BOOL WINAPI driverFailsWithoutSayingWhy(LPSTR, LPSTR, LPSTR) {
    ++driverCalls;
    return FALSE;
}
BOOL WINAPI driverAlreadyGone(LPSTR, LPSTR, LPSTR) {
    ++driverCalls;
    SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
    return FALSE;
}
// Fails with driverError once, then lets the system's call through.
BOOL WINAPI driverBusyOnce(LPSTR server, LPSTR environment, LPSTR name) {
    if (driverCalls++ == 0) {
        SetLastError(driverError);
        return FALSE;
    }
    return DeletePrinterDriverA(server, environment, name);
}

const char kJobsBox[] =
    "Can't delete Orlan PDF Printer. \nPlease close all the applications that may be using the printer and try "
    "again.";

bool anyStaged() { return stagedDriverFiles() > 0; }
bool allStaged() { return stagedDriverFiles() == 3; }

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
// The spooler's answer, with a job queued on the user's copy.
BOOL WINAPI copyHasJobs(DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                        LPDWORD count) {
    if (!EnumPrintersA(flags, name, level, buffer, size, needed, count)) return FALSE;
    PRINTER_INFO_2A* printers = reinterpret_cast<PRINTER_INFO_2A*>(buffer);
    for (DWORD i = 0; buffer && i < *count; ++i)
        if (strcmp(printers[i].pPrinterName, "PDF Copy") == 0 || strcmp(printers[i].pPrinterName, "Busy Other") == 0)
            printers[i].cJobs = 1;
    return TRUE;
}
}  // namespace

class Removal : public SpoolerTest {
protected:
    void SetUp() override {
        SpoolerTest::SetUp();
        driverCalls = 0;
        ASSERT_TRUE(addPortDirectly(L"ORLAN_PDF:"));
    }
    void installProduct(Installer& installer) {
        prepare(installer);
        ASSERT_TRUE(registerDriver(stagedSource(), "Orlan PDF Printer Driver"));
        ASSERT_TRUE(addPrinterOn("Orlan PDF Printer", "ORLAN_PDF:", "Orlan PDF Printer Driver"));
        installer.printerStage = kStagePrinter;
    }
};

TEST_F(Removal, EarlyStagesDeleteNothing) {
    Installer installer;
    prepare(installer);
    stageDriverFiles();
    for (int stage : {kStageNothing, kStagePort}) {
        installer.printerStage = stage;
        EXPECT_EQ(1, installer.removePrinterAndDriver());
        EXPECT_TRUE(allStaged()) << "stage " << stage;
    }
    installer.printerStage = kStageDriverFiles;
    EXPECT_EQ(1, installer.removePrinterAndDriver());
    EXPECT_FALSE(anyStaged());
    EXPECT_EQ(0, driverCalls);
}

TEST_F(Removal, StageFourDeletesEveryProductPrinterTheDriverAndTheFiles) {
    Installer installer;
    installProduct(installer);
    ASSERT_TRUE(addPrinterOn("PDF Copy", "ORLAN_PDF:", "Orlan PDF Printer Driver"));
    OtherPrinter unrelated(stagedSource(), "Unrelated Printer");
    ASSERT_TRUE(unrelated.ready());
    stageDriverFiles();

    EXPECT_EQ(1, installer.removePrinterAndDriver()) << errorText;
    EXPECT_FALSE(printerFacts("Orlan PDF Printer").exists);
    EXPECT_FALSE(printerFacts("PDF Copy").exists);
    EXPECT_TRUE(printerFacts("Unrelated Printer").exists);
    EXPECT_FALSE(driverRegistered("Orlan PDF Printer Driver"));
    EXPECT_TRUE(driverRegistered(OtherPrinter::kDriver));
    EXPECT_FALSE(anyStaged());
}

TEST_F(Removal, DriverAlreadyGoneIsNoFailure) {
    Installer installer;
    prepare(installer);
    installer.printerStage = kStageDriver;
    // Still listed by Wine's spooler: only the answer 1797 tells that it is gone.
    ASSERT_TRUE(registerDriver(stagedSource(), "Orlan PDF Printer Driver"));
    stageDriverFiles();
    spooler->deletePrinterDriver = driverAlreadyGone;
    BoxAnswerer answerer("Orlan PDF Scribe", {IDCANCEL});
    EXPECT_EQ(1, installer.removePrinterAndDriver());
    EXPECT_TRUE(answerer.finish().empty()) << "no prompt";
    EXPECT_EQ(1, driverCalls) << "no retry";
    EXPECT_FALSE(anyStaged());
}

TEST_F(Removal, AMissingDriverIsNoFailureWhateverTheSpoolerSays) {
    Installer installer;
    prepare(installer);
    installer.printerStage = kStageDriver;
    ASSERT_FALSE(driverRegistered("Orlan PDF Printer Driver"));
    spooler->deletePrinterDriver = driverFailsWithoutSayingWhy;
    EXPECT_EQ(1, installer.removePrinterAndDriver());
    EXPECT_EQ(1, driverCalls) << "no prompt for a driver that is not there";

    // A registered driver that cannot be deleted still asks.
    ASSERT_TRUE(registerDriver(stagedSource(), "Orlan PDF Printer Driver"));
    driverCalls = 0;
    BoxAnswerer answerer("Orlan PDF Scribe", {IDCANCEL});
    EXPECT_EQ(0, installer.deleteProductDriver());
    EXPECT_EQ(1u, answerer.finish().size());
    EXPECT_EQ(1, driverCalls);
}

TEST_F(Removal, BusyDriverPromptRetriesOnOkAndGivesUpOnCancel) {
    Installer installer;
    installProduct(installer);
    installer.printerStage = kStageDriver;
    stageDriverFiles();
    driverError = ERROR_PRINTER_DRIVER_IN_USE;
    spooler->deletePrinterDriver = driverBusyOnce;
    {
        BoxAnswerer answerer("Orlan PDF Scribe", {IDCANCEL});
        EXPECT_EQ(0, installer.deleteProductDriver());
        const auto& boxes = answerer.finish();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(kDriverPrompt, boxes[0].text);
        EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL}), boxes[0].buttons);
    }
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = Orlan PDF Driver can't be deleted(3001):")) << errorText;
    EXPECT_TRUE(driverRegistered("Orlan PDF Printer Driver"));

    // Setup's form: a cancelled driver prompt keeps the staged files and puts
    // nothing back.
    deletePrinterNamed("Orlan PDF Printer");
    driverCalls = 0;
    {
        BoxAnswerer answerer("Orlan PDF Scribe", {IDCANCEL});
        EXPECT_EQ(0, installer.removePrinterAndDriver());
        EXPECT_EQ(1u, answerer.finish().size());
    }
    EXPECT_TRUE(allStaged());
    EXPECT_FALSE(printerFacts("Orlan PDF Printer").exists);

    driverCalls = 0;
    {
        BoxAnswerer answerer("Orlan PDF Scribe", {IDOK});
        EXPECT_EQ(1, installer.removePrinterAndDriver()) << errorText;
        EXPECT_EQ(1u, answerer.finish().size());
    }
    EXPECT_EQ(2, driverCalls);
    EXPECT_FALSE(driverRegistered("Orlan PDF Printer Driver"));
    EXPECT_FALSE(anyStaged());
}

TEST_F(Removal, EveryPromptForEitherPrinterNamesTheProductPrinter) {
    Installer installer;
    installProduct(installer);
    ASSERT_TRUE(addPrinterOn("PDF Copy", "ORLAN_PDF:", "Orlan PDF Printer Driver"));
    openedOnce.clear();
    deleteCalls = 0;
    spooler->openPrinter = openFailsOncePerPrinter;
    spooler->deletePrinter = deleteFailsOnce;

    BoxAnswerer answerer("Orlan PDF Scribe", {IDOK, IDOK, IDOK});
    EXPECT_EQ(1, installer.deleteProductPrinters()) << errorText;
    const auto& boxes = answerer.finish();
    ASSERT_EQ(3u, boxes.size());
    EXPECT_EQ(kOpenPrompt, boxes[0].text);
    EXPECT_EQ(kDeletePrompt, boxes[1].text);
    EXPECT_EQ(kOpenPrompt, boxes[2].text);
    for (const auto& box : boxes) EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL}), box.buttons);
    EXPECT_EQ(2u, openedOnce.size()) << "both printers were opened";
    EXPECT_TRUE(printersOnDriver("Orlan PDF Printer Driver").empty());
}

TEST_F(Removal, CancelledOpenPromptLeavesThePrintersAndReportsTheError) {
    Installer installer;
    installProduct(installer);
    openedOnce.clear();
    spooler->openPrinter = openFailsOncePerPrinter;
    BoxAnswerer answerer("Orlan PDF Scribe", {IDCANCEL});
    EXPECT_EQ(0, installer.removePrinterAndDriver());
    EXPECT_EQ(1u, answerer.finish().size());
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = Orlan PDF Printer can not be opened(5):")) << errorText;
    EXPECT_TRUE(printerFacts("Orlan PDF Printer").exists);
    EXPECT_TRUE(driverRegistered("Orlan PDF Printer Driver")) << "the driver is not tried after a cancel";
}

TEST_F(Removal, QueuedJobsStopTheRemovalWithAnOkBoxNamingTheProductPrinter) {
    Installer installer;
    installProduct(installer);
    ASSERT_TRUE(addPrinterOn("PDF Copy", "ORLAN_PDF:", "Orlan PDF Printer Driver"));
    OtherPrinter busyOther(stagedSource(), "Busy Other");
    ASSERT_TRUE(busyOther.ready());
    spooler->enumPrinters = copyHasJobs;
    errorText[0] = '\0';
    {
        BoxAnswerer answerer("Orlan PDF Scribe", {IDOK});
        EXPECT_EQ(0, installer.deleteProductPrinters());
        const auto& boxes = answerer.finish();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(kJobsBox, boxes[0].text) << "the box names the product's printer, whichever is busy";
        EXPECT_EQ(std::vector<int>{IDOK}, boxes[0].buttons);
    }
    EXPECT_STREQ("", errorText) << "queued jobs compose no report";
    EXPECT_TRUE(printerFacts("PDF Copy").exists);

    // Once the jobs are gone the removal goes through; a busy printer on
    // another driver does not hinder it.
    ASSERT_TRUE(deletePrinterNamed("PDF Copy"));
    EXPECT_EQ(1, installer.deleteProductPrinters());
    EXPECT_TRUE(printersOnDriver("Orlan PDF Printer Driver").empty());
    EXPECT_TRUE(printerFacts("Busy Other").exists);
}
