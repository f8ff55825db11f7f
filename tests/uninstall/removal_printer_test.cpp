// The uninstaller's form of the printer removal: a cancelled driver deletion
// puts the product's printer back, against Wine's real spooler.
#include "tests/spooler/spooler_fixture.h"
#include "common/product.h"
#include "common/prompt.h"
#include "common/runlog.h"
#include "uninstall/uninstall.h"

using namespace spooler_support;

namespace {
int addPrinterCalls;
HANDLE WINAPI addPrinterRefused(LPSTR, DWORD, LPBYTE) {
    ++addPrinterCalls;
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return nullptr;
}
BOOL WINAPI printerStays(HANDLE) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}
}  // namespace

class UninstallPrinterRemoval : public SpoolerTest {
protected:
    void SetUp() override {
        SpoolerTest::SetUp();
        installPrinter();
        ASSERT_TRUE(addPrinterOn("PDF Copy", "ORLAN_PDF:", "Orlan PDF Printer Driver"));
        stageDriverFiles();
    }
};

// A user who cancels must get out, even when the printer cannot be put
// back. A removal that started over would ask again; the second answer and
// driver call let such a loop end instead of hanging the test.
TEST_F(UninstallPrinterRemoval, FailedPutBackIsTriedOnceReportedAndTheRemovalStops) {
    failDriverDeletions(2);
    addPrinterCalls = 0;
    spooler->addPrinter = addPrinterRefused;
    BoxAnswerer answerer("Orlan PDF Scribe", {IDCANCEL, IDCANCEL});
    EXPECT_EQ(0, installer.removePrinterAndDriver());
    EXPECT_TRUE(showed(answerer.finish(), {kDriverPrompt})) << "the cancelled prompt came back";
    EXPECT_EQ(1, driverCalls);
    EXPECT_EQ(1, addPrinterCalls);
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = AddPrinter(1801):")) << errorText;
    // Stopped where the user cancelled: the driver and its files stay.
    EXPECT_TRUE(driverRegistered("Orlan PDF Printer Driver"));
    EXPECT_EQ(3, stagedDriverFiles());
    EXPECT_FALSE(printerFacts("Orlan PDF Printer").exists);
}

// Unattended, a printer that will not go is tried a few times more, each
// answer in the log, and the removal ends with its own code and no box.
TEST_F(UninstallPrinterRemoval, UnattendedPrinterThatStaysIsRetriedLoggedAndFailsWithoutABox) {
    spooler->deletePrinter = printerStays;
    const std::string folder = testing_support::makeTempDir("quiet"), log = folder + "\\run.log";
    testing_support::regDeleteTree(HKEY_LOCAL_MACHINE, product::kProductKey);
    testing_support::regSetText(HKEY_CURRENT_USER, product::kProductKey, "SetupPath", (folder + "\\").c_str());
    ASSERT_TRUE(runlog::open(log.c_str(), false));
    prompt::setUnattended(true);
    BoxAnswerer question(product::kBoxCaption, {IDCANCEL}), report(product::kUninstallBoxCaption, {IDOK});
    KernelHandle mutex;
    const DWORD start = GetTickCount();
    EXPECT_EQ(kUninstallStepFailed, removeProduct(GetModuleHandleA(nullptr), mutex));
    const DWORD took = GetTickCount() - start;
    prompt::setUnattended(false);
    runlog::close();
    EXPECT_TRUE(question.finish().empty()) << "a question was shown";
    EXPECT_TRUE(report.finish().empty()) << "the report was shown";

    const std::string text = testing_support::readFile(log);
    EXPECT_EQ(3u, count(text, "Answer: try again")) << text;
    EXPECT_EQ(1u, count(text, "Answer: give up")) << text;
    EXPECT_GE(took, 3 * prompt::kRetryWaitMs - 100) << "the retries did not wait";
    const size_t failed = text.find("Removing the printers and the driver: failed: ");
    EXPECT_NE(std::string::npos, text.find("Error tag = Orlan PDF Printer can not be deleted(5)", failed)) << text;
    EXPECT_EQ(0u, count(text, "Removing the registry records")) << "the run went on after the failed step";
    EXPECT_TRUE(printerFacts("Orlan PDF Printer").exists);
    EXPECT_TRUE(driverRegistered("Orlan PDF Printer Driver"));
    EXPECT_TRUE(testing_support::regKeyExists(HKEY_CURRENT_USER, product::kProductKey));
    testing_support::regDeleteTree(HKEY_CURRENT_USER, product::kProductKey);
    testing_support::removeTree(folder);
}
