// The removal run's order and bar positions, and the progress dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "common/errorreport.h"
#include "common/installer.h"
#include "common/product.h"
#include "common/spooler.h"
#include "resources/resource.h"
#include "tests/support/scoped_calls.h"
#include "tests/support/spooler_support.h"
#include "tests/support/support.h"
#include "tests/support/uninstall_support.h"
#include "uninstall/uninstall.h"

namespace ts = testing_support;

namespace {

// A stand-in progress bar that keeps every position it is given, with the
// state of the machine at that moment.
struct Position {
    int value;
    bool productKeyPresent;
    bool productFilePresent;
};
std::vector<Position> positions;
std::string watchedFile;

LRESULT CALLBACK recordingBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS)
        positions.push_back({static_cast<int>(wParam), ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kProductKey),
                             ts::fileExists(watchedFile)});
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND makeRecordingBar() {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = recordingBarProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "RecordingBar";
    RegisterClassA(&cls);
    return CreateWindowA("RecordingBar", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, cls.hInstance, nullptr);
}

}  // namespace

TEST(RemovalRun, BarTakesItsPositionsInOrderAndEverythingGoes) {
    // The printer and driver are there, as after an installation.
    spooler_support::removeProduct();
    spooler_support::addPortDirectly(L"ORLAN_PDF:");
    ASSERT_TRUE(spooler_support::registerDriver(ts::distDir(), product::kDriverName));
    ASSERT_TRUE(spooler_support::addPrinterOn(product::kPrinterName, product::kPortName, product::kDriverName));
    std::string installDir = ts::makeTempDir("runproduct");
    watchedFile = installDir + "\\Uninstall.exe";
    ts::writeFile(watchedFile, "x");
    ts::writeFile(installDir + "\\OPSBatch.exe", "x");
    ASSERT_TRUE(ts::regSetText(HKEY_LOCAL_MACHINE, product::kProductKey, "SetupPath", installDir + "\\"));

    HWND bar = makeRecordingBar();
    ASSERT_TRUE(bar);
    positions.clear();
    Installer remover;
    EXPECT_EQ(10, remover.stepCount);
    remover.initRemoval((installDir + "\\").c_str(), nullptr, bar);
    EXPECT_EQ(1, remover.runRemoval());
    EXPECT_EQ(kStagePrinter, remover.printerStage);
    EXPECT_NE('\0', remover.driverDir[0]);

    std::vector<int> values;
    for (const Position& p : positions) values.push_back(p.value);
    EXPECT_EQ((std::vector<int>{0, 30, 40, 50, 60, 70, 100}), values);
    // The records go at 40, the files only at 70: each step after its own position.
    ASSERT_EQ(7u, positions.size());
    EXPECT_TRUE(positions[2].productKeyPresent);
    EXPECT_FALSE(positions[3].productKeyPresent);
    EXPECT_TRUE(positions[5].productFilePresent);
    EXPECT_FALSE(positions[6].productFilePresent);
    EXPECT_FALSE(ts::folderExists(installDir));
    EXPECT_FALSE(spooler_support::printerFacts(product::kPrinterName).exists);
    EXPECT_FALSE(spooler_support::driverRegistered(product::kDriverName));
    DestroyWindow(bar);
}

namespace {
// An application holds the driver: every deletion fails as busy.
int driverDeletions;
BOOL WINAPI driverInUse(LPSTR, LPSTR, LPSTR) {
    ++driverDeletions;
    SetLastError(ERROR_PRINTER_DRIVER_IN_USE);
    return FALSE;
}
}  // namespace

TEST(RemovalRun, CancelOnTheDriverPromptStopsAfterThePrinterStepAndPutsThePrinterBack) {
    const std::string root = ts::makeTempDir("stopproduct");
    const std::string installDir = root + "\\Scribe";
    uninstall_support::clearProduct("");
    ASSERT_TRUE(uninstall_support::installProduct(installDir, true));
    std::string link = uninstall_support::startMenuFolder() + "\\Uninstall.lnk";
    ASSERT_TRUE(ts::fileExists(link));
    watchedFile = installDir + "\\uninstall.exe";

    HWND bar = makeRecordingBar();
    ASSERT_TRUE(bar);
    positions.clear();
    errorText[0] = '\0';
    driverDeletions = 0;
    ts::ScopedCalls spooler(spoolerCalls);
    spooler->deletePrinterDriver = driverInUse;
    Installer remover;
    remover.initRemoval((installDir + "\\").c_str(), nullptr, bar);
    int result;
    std::vector<ts::MessageBoxInfo> boxes;
    {
        spooler_support::BoxAnswerer answerer(product::kBoxCaption, {IDCANCEL});
        result = remover.runRemoval();
        boxes = answerer.finish();
    }
    DestroyWindow(bar);

    EXPECT_EQ(0, result);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(product::kDriverPrompt, boxes[0].text);
    EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL}), boxes[0].buttons);
    EXPECT_EQ(1, driverDeletions);
    std::vector<int> values;
    for (const Position& p : positions) values.push_back(p.value);
    EXPECT_EQ((std::vector<int>{0, 30}), values) << "the bar stops at the printer step";

    // Nothing after the printer step was touched.
    EXPECT_TRUE(ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kProductKey));
    std::string setupPath;
    EXPECT_TRUE(ts::regValue(HKEY_LOCAL_MACHINE, product::kProductKey, "SetupPath", &setupPath));
    EXPECT_TRUE(ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kUninstallKey));
    EXPECT_TRUE(ts::fileExists(installDir + "\\uninstall.exe"));
    EXPECT_TRUE(ts::fileExists(installDir + "\\ops_wordaddin.dll"));
    EXPECT_TRUE(ts::fileExists(link));

    // The printer the removal deleted is back, on the product's port and driver.
    EXPECT_TRUE(spooler_support::isProductPrinter());
    EXPECT_TRUE(spooler_support::driverRegistered(product::kDriverName));

    // The report the uninstaller shows for the stop: its own form, the
    // driver's tag and the spooler's code.
    const std::string report = errorText;
    EXPECT_EQ(0u, report.find("Error happened to Orlan PDF Scribe, installation might not be complete.\n")) << report;
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = Orlan PDF Driver can't be deleted(3001):")) << errorText;
    EXPECT_NE(nullptr, strstr(errorText, "Please report this error to Orlan (")) << errorText;

    uninstall_support::clearProduct(root);
}

namespace {
BOOL WINAPI noDriverDirectory(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
}  // namespace

// The spooler will not say where its drivers are: the run stops at once,
// with the report, before any deletion.
TEST(RemovalRun, WithoutTheDriverDirectoryNothingIsTouched) {
    std::string installDir = ts::makeTempDir("nodriverdir");
    ts::writeFile(installDir + "\\uninstall.exe", "x");
    errorText[0] = '\0';
    ts::ScopedCalls spooler(spoolerCalls);
    spooler->getPrinterDriverDirectory = noDriverDirectory;
    Installer remover;
    remover.initRemoval(installDir.c_str(), nullptr, nullptr);
    int result = remover.runRemoval();
    EXPECT_EQ(0, result);
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = GetPrinterDriverDirectory(5):")) << errorText;
    EXPECT_TRUE(ts::fileExists(installDir + "\\uninstall.exe"));
    ts::removeTree(installDir);
}

class ProgressDialog : public ::testing::Test {
protected:
    void SetUp() override {
        InitCommonControls();
        uninstallDialog = nullptr;
        uninstallProgress = nullptr;
    }
    void TearDown() override {
        if (uninstallDialog) EndDialog(uninstallDialog, 0);
        if (thread_) {
            WaitForSingleObject(thread_, 10000);
            CloseHandle(thread_);
        }
        uninstallDialog = nullptr;
        uninstallProgress = nullptr;
    }
    void start() {
        thread_ = CreateThread(nullptr, 0, uninstallDialogThread, GetModuleHandleA(nullptr), 0, nullptr);
        ASSERT_TRUE(thread_);
    }
    HANDLE thread_ = nullptr;
};

TEST_F(ProgressDialog, WaitStopsAtItsLimitWithoutADialog) {
    DWORD begin = GetTickCount();
    EXPECT_FALSE(waitForDialog(300, 20));
    EXPECT_GE(GetTickCount() - begin, 280u);
}

TEST_F(ProgressDialog, ComesUpCentredWithItsControlsAndIcon) {
    start();
    DWORD begin = GetTickCount();
    const DWORD limit = 20000;
    ASSERT_TRUE(waitForDialog(limit, 20));
    EXPECT_LT(GetTickCount() - begin, limit) << "the wait went on to its limit with the dialog up";
    HWND dialog = uninstallDialog;
    ASSERT_TRUE(IsWindow(dialog));
    EXPECT_EQ(GetDlgItem(dialog, IDC_UNINSTALL_PROGRESS), uninstallProgress);

    char text[256];
    GetWindowTextA(dialog, text, sizeof text);
    EXPECT_STREQ(product::kUninstallCaption, text);
    GetClassNameA(dialog, text, sizeof text);
    EXPECT_STREQ("#32770", text);
    EXPECT_EQ(dialog, FindWindowA("#32770", product::kUninstallCaption));
    GetClassNameA(uninstallProgress, text, sizeof text);
    EXPECT_STREQ("msctls_progress32", text);
    EXPECT_EQ(0, (int)SendMessageA(uninstallProgress, PBM_GETRANGE, TRUE, 0));
    EXPECT_EQ(100, (int)SendMessageA(uninstallProgress, PBM_GETRANGE, FALSE, 0));

    // The text with its line break, and nothing after "Status:".
    bool found = false;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char body[512];
        GetWindowTextA(child, body, sizeof body);
        if (std::string(body) ==
            "Please wait while Orlan PDF Scribe is being removed from your computer. This may take several "
            "minutes.\nStatus:")
            found = true;
    }
    EXPECT_TRUE(found);

    RECT units = {0, 0, 247, 53};
    MapDialogRect(dialog, &units);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(units.right, client.right);
    EXPECT_EQ(units.bottom, client.bottom);

    RECT r;
    GetWindowRect(dialog, &r);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ((screenWidth - (r.right - r.left)) / 2, r.left);
    EXPECT_EQ((screenHeight - (r.bottom - r.top)) / 2, r.top);
    EXPECT_TRUE(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));

    // Esc and the close box leave it up.
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(thread_, 300));
    EXPECT_TRUE(IsWindow(dialog));

    ts::screenshot(ts::outputDir("shots") + "\\uninstall_dialog.bmp", dialog);
    // Ended from another thread, as the run ends it.
    EndDialog(dialog, 0);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(thread_, 5000));
}
