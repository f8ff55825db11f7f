// Shared ground of the spooler tests: a staged copy of dist/, a machine
// without the product before and after each test, and the spooler calls a
// test replaces through spooler, put back when the test ends.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include "common/errorreport.h"
#include "common/installer.h"
#include "common/spooler.h"
#include "common/text.h"
#include "tests/support/scoped_calls.h"
#include "tests/support/spooler_support.h"
#include "tests/support/support.h"

// The prompt of a driver that cannot be deleted.
const char kDriverPrompt[] =
    "Can't delete Orlan PDF Driver. \nPlease close all the programs that may be using the printer and try again, "
    "\nor click 'CANCEL' to quit.";

// The first failingDeletions driver deletions fail with deletionError (0:
// without saying why), later ones go to the system. driverCalls counts them all.
inline int driverCalls, failingDeletions;
inline DWORD deletionError;
inline BOOL WINAPI driverDeletionFails(LPSTR server, LPSTR environment, LPSTR name) {
    if (driverCalls++ < failingDeletions) {
        if (deletionError) SetLastError(deletionError);
        return FALSE;
    }
    return DeletePrinterDriverA(server, environment, name);
}

// The spooler will not say where its drivers are.
inline BOOL WINAPI noDriverDirectory(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// The next `count` driver deletions through spooler fail; an application
// holding the driver makes them fail as busy.
inline void failDriverDeletions(testing_support::ScopedCalls<SpoolerCalls>& spooler, int count,
                                DWORD error = ERROR_PRINTER_DRIVER_IN_USE) {
    driverCalls = 0;
    failingDeletions = count;
    deletionError = error;
    spooler->deletePrinterDriver = driverDeletionFails;
}

class SpoolerTest : public ::testing::Test {
protected:
    void SetUp() override {
        spooler_support::removeProduct();
        errorText[0] = '\0';
        prepare(installer);
    }
    void TearDown() override { spooler_support::removeProduct(); }

    testing_support::ScopedCalls<SpoolerCalls> spooler{spoolerCalls};
    Installer installer;

    // dist/ staged once per program, as setup would find it beside itself.
    static const std::string& stagedSource() {
        static std::string folder;
        if (folder.empty()) {
            folder = testing_support::makeTempDir("orlan_src");
            testing_support::stageDist(folder);
        }
        return folder;
    }

    // An installer as the run has it just before its printer steps, from
    // dist/ or from source.
    void prepare(Installer& installer, const std::string& source = stagedSource()) {
        text::copy(installer.sourceDir, source.c_str());
        text::copy(installer.driverDir, spooler_support::driverDirectory().c_str());
    }

    // The port, driver and printer as an installation leaves them, and an
    // installer that knows it.
    void installPrinter() {
        ASSERT_TRUE(spooler_support::addPortDirectly(L"ORLAN_PDF:"));
        ASSERT_TRUE(spooler_support::registerDriver(stagedSource(), "Orlan PDF Printer Driver"));
        ASSERT_TRUE(spooler_support::addPrinterOn("Orlan PDF Printer", "ORLAN_PDF:", "Orlan PDF Printer Driver"));
        installer.printerStage = kStagePrinter;
    }
};
