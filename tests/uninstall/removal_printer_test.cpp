// The uninstaller's form of the printer removal: a cancelled driver deletion
// puts the product's printer back, against Wine's real spooler.
#include "tests/spooler/spooler_fixture.h"

using namespace spooler_support;

namespace {
int driverCalls;
int failingCalls;  // how many calls fail before the system's call is let through
BOOL WINAPI driverBusy(LPSTR server, LPSTR environment, LPSTR name) {
    if (driverCalls++ < failingCalls) {
        SetLastError(ERROR_PRINTER_DRIVER_IN_USE);
        return FALSE;
    }
    return DeletePrinterDriverA(server, environment, name);
}
int addPrinterCalls;
HANDLE WINAPI addPrinterRefused(LPSTR, DWORD, LPBYTE) {
    ++addPrinterCalls;
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return nullptr;
}
}  // namespace

class UninstallPrinterRemoval : public SpoolerTest {
protected:
    void SetUp() override {
        SpoolerTest::SetUp();
        driverCalls = 0;
        ASSERT_TRUE(addPortDirectly(L"ORLAN_PDF:"));
        prepare(installer);
        ASSERT_TRUE(registerDriver(stagedSource(), "Orlan PDF Printer Driver"));
        ASSERT_TRUE(addPrinterOn("Orlan PDF Printer", "ORLAN_PDF:", "Orlan PDF Printer Driver"));
        ASSERT_TRUE(addPrinterOn("PDF Copy", "ORLAN_PDF:", "Orlan PDF Printer Driver"));
        stageDriverFiles();
        installer.printerStage = kStagePrinter;
        spooler->deletePrinterDriver = driverBusy;
    }
    Installer installer;
};

TEST_F(UninstallPrinterRemoval, CancelledDriverPromptPutsThePrinterBack) {
    failingCalls = 1000;
    BoxAnswerer answerer("Orlan PDF Scribe", {IDCANCEL});
    EXPECT_EQ(0, installer.removePrinterAndDriver());
    const auto& boxes = answerer.finish();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(kDriverPrompt, boxes[0].text);
    EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL}), boxes[0].buttons);

    EXPECT_TRUE(isProductPrinter());
    EXPECT_FALSE(printerFacts("PDF Copy").exists) << "the copy was deleted before the driver was tried";
    EXPECT_TRUE(driverRegistered("Orlan PDF Printer Driver"));
    EXPECT_TRUE(stagedDriverFiles() == 3);
}

// A user who cancels must get out, even when the printer cannot be put
// back. A removal that started over would ask again; the second answer and
// driver call let such a loop end instead of hanging the test.
TEST_F(UninstallPrinterRemoval, FailedPutBackIsTriedOnceReportedAndTheRemovalStops) {
    failingCalls = 2;
    addPrinterCalls = 0;
    spooler->addPrinter = addPrinterRefused;
    BoxAnswerer answerer("Orlan PDF Scribe", {IDCANCEL, IDCANCEL});
    EXPECT_EQ(0, installer.removePrinterAndDriver());
    const auto& boxes = answerer.finish();
    ASSERT_EQ(1u, boxes.size()) << "the cancelled prompt came back";
    EXPECT_EQ(kDriverPrompt, boxes[0].text);
    EXPECT_EQ(1, driverCalls);
    EXPECT_EQ(1, addPrinterCalls);
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = AddPrinter(1801):")) << errorText;
    // Stopped where the user cancelled: the driver and its files stay.
    EXPECT_TRUE(driverRegistered("Orlan PDF Printer Driver"));
    EXPECT_TRUE(stagedDriverFiles() == 3);
    EXPECT_FALSE(printerFacts("Orlan PDF Printer").exists);
}
