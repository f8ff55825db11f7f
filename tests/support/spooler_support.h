// Test helpers for Wine's real print spooler: the driver directory, ports,
// drivers and printers looked at and set up directly through winspool, and
// a thread that answers a run's message boxes one after another.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <atomic>
#include <string>
#include <thread>
#include <vector>
#include "tests/support/support.h"

namespace spooler_support {

std::string driverDirectory();
std::string driverFile(const char* name);  // in the driver directory
std::string versionFile(const char* name);  // in its "3" sub-folder

std::vector<std::string> portNames();
bool productPortListed();  // "ORLAN_PDF:"
bool addPortDirectly(const wchar_t* name);

std::vector<std::string> driverNames();
bool driverRegistered(const char* name);  // exact, case-sensitive
// The registry key, under HKEY_LOCAL_MACHINE, where Wine's spooler keeps a
// driver of the current environment; the driver is registered while it exists.
std::string wineDriverKey(const char* name);
// Stages kpd_drv.dll, kpd_ui.dll and kpd_pnt.txt from folder in the driver
// directory and registers them under the given name.
bool registerDriver(const std::string& folder, const char* name);
bool deleteDriver(const char* name);

struct PrinterFacts {
    bool exists = false;
    std::string port, driver, processor, datatype;
    DWORD attributes = 0;
};
PrinterFacts printerFacts(const char* name);
std::vector<std::string> printersOnDriver(const char* driver);  // null: every printer
// The product's printer as setup makes it: on the product's port and
// driver, with WinPrint and RAW.
::testing::AssertionResult isProductPrinter(const PrinterFacts& facts = printerFacts("Orlan PDF Printer"));
bool addPrinterOn(const char* name, const char* port, const char* driver);
bool deletePrinterNamed(const char* name);

std::string defaultPrinter();  // empty when there is none
bool makeDefault(const char* name);

// Deletes every printer on the product's driver, the printer of the
// product's name, the product's driver and the staged driver files, so that
// each test starts from a machine without the product.
void removeProduct();

// The three files setup stages in the driver directory: written there, and
// how many of them are there (or in its "3" sub-folder, where the spooler
// copies them when it registers the driver).
void stageDriverFiles();
int stagedDriverFiles(bool inVersionFolder = false);

// A printer of the user's own, on a driver of its own registered from
// folder; both are removed again with the object.
class OtherPrinter {
public:
    OtherPrinter(const std::string& folder, const char* name, const char* port = "LPT1:");
    ~OtherPrinter();
    OtherPrinter(const OtherPrinter&) = delete;
    OtherPrinter& operator=(const OtherPrinter&) = delete;
    bool ready() const { return ready_; }
    static constexpr const char* kDriver = "Other Test Driver";

private:
    std::string name_;
    bool ready_;
};

// Answers message boxes of one caption on its own thread, in order, with
// the given buttons; records what each box showed. Looks for the next box
// until every answer is given, finish() says the run is over, or timeoutMs
// passes without one. A box that comes when it has stopped is the watchdog's
// (testing_support::kStrayBoxGraceMs): so an answerer whose list ends early
// also proves that no further box comes.
class BoxAnswerer {
public:
    BoxAnswerer(const char* caption, std::vector<int> answers, DWORD timeoutMs = 60000,
                std::string screenshotPath = "");
    ~BoxAnswerer();
    // The run that shows the boxes has ended: stops looking, waits for the
    // thread; the boxes seen.
    const std::vector<testing_support::MessageBoxInfo>& finish();

private:
    std::string caption_;
    std::vector<int> answers_;
    DWORD timeoutMs_;
    std::string screenshotPath_;
    std::vector<testing_support::MessageBoxInfo> seen_;
    std::atomic<bool> over_{false};
    std::thread thread_;
};
// The boxes a run showed were these texts, in order, each with these buttons.
::testing::AssertionResult showed(const std::vector<testing_support::MessageBoxInfo>& boxes,
                                  const std::vector<std::string>& texts,
                                  const std::vector<int>& buttons = {IDOK, IDCANCEL});

}  // namespace spooler_support
