// The printer step and the default printer, against Wine's spooler.
#include "common/product.h"
#include "install/install.h"
#include "tests/spooler/spooler_fixture.h"

using namespace spooler_support;

namespace {
HANDLE WINAPI addPrinterRefused(LPSTR, DWORD, LPBYTE) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return nullptr;
}
}  // namespace

class PrinterStep : public SpoolerTest {
protected:
    // Port and driver as the run's earlier steps leave them.
    void installPortAndDriver() {
        ASSERT_EQ(1, installer.addPort()) << errorText;
        ASSERT_EQ(1, installer.addDriver()) << errorText;
    }
};

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
