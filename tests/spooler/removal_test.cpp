// Removal of the product's printers, driver and staged files, with its
// prompts answered the way a user would.
#include <algorithm>
#include "common/product.h"
#include "tests/spooler/spooler_fixture.h"

using namespace spooler_support;

namespace {

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
