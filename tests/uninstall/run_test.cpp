// The removal operations against Wine's registry, shell folders and files;
// the removal run's order and bar positions; the uninstaller's form of the
// printer removal against Wine's real spooler; the progress dialog.
#include <windows.h>
#include <commctrl.h>
#include "common/product.h"
#include "common/prompt.h"
#include "common/runlog.h"
#include "resources/resource.h"
#include "tests/spooler/spooler_fixture.h"
#include "tests/support/security_support.h"
#include "tests/support/uninstall_support.h"
#include "uninstall/uninstall.h"

namespace ts = testing_support;
namespace us = uninstall_support;
namespace sec = security_support;
using namespace spooler_support;

namespace {

// A stand-in progress bar that keeps every position it is given, with the
// state of the machine at that moment.
struct Position {
    int value;
    bool productKeyPresent;
    bool productFilePresent;
    bool folderHeld;  // the install folder could not be renamed
};
std::vector<Position> positions;
std::string watchedFolder, watchedFile;

bool held(const std::string& folder) {
    if (!MoveFileA(folder.c_str(), (folder + "~").c_str())) return true;
    MoveFileA((folder + "~").c_str(), folder.c_str());
    return false;
}

LRESULT CALLBACK recordingBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS)
        positions.push_back({static_cast<int>(wParam), ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kProductKey),
                             ts::fileExists(watchedFile), held(watchedFolder)});
    return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<int> barValues() {
    std::vector<int> values;
    for (const Position& p : positions) values.push_back(p.value);
    return values;
}

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

// The product as setup leaves it, printer and all, and a removal run with
// the recording bar.
class RemovalRun : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = recordingBarProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "RecordingBar";
        RegisterClassA(&cls);
        bar = CreateWindowA("RecordingBar", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, cls.hInstance, nullptr);
        ASSERT_TRUE(bar);
        positions.clear();
        errorText[0] = '\0';
        us::clearProduct("");
        ASSERT_TRUE(us::installProduct(installDir, true));
        watchedFolder = installDir;
        watchedFile = installDir + "\\uninstall.exe";
        remover.initRemoval((installDir + "\\").c_str(), nullptr, bar);
    }
    void TearDown() override {
        DestroyWindow(bar);
        us::clearProduct(root);
    }
    HWND bar = nullptr;
    const std::string root = ts::makeTempDir("runproduct"), installDir = root + "\\Scribe";
    Installer remover;
    ts::ScopedCalls<SpoolerCalls> spooler{spoolerCalls};
};

class RemovalOperations : public ::testing::Test {
protected:
    void TearDown() override {
        ts::removeTree(installDir);
        for (bool allUsers : {true, false}) {
            ts::removeTree(ts::programsFolder(allUsers) + "\\Orlan PDF Scribe");
            ts::removeTree(ts::programsFolder(allUsers) + "\\Orlan Software");
        }
    }
    const std::string installDir = ts::makeTempDir("product");
};

}  // namespace

TEST_F(RemovalRun, BarTakesItsPositionsInOrderAndEverythingGoes) {
    EXPECT_EQ(1, remover.runRemoval()) << errorText;
    EXPECT_EQ((std::vector<int>{0, 30, 40, 50, 60, 70, 100}), barValues());
    // The records go at 40, the files only at 70: each step after its own position.
    ASSERT_EQ(7u, positions.size());
    EXPECT_TRUE(positions[2].productKeyPresent);
    EXPECT_FALSE(positions[3].productKeyPresent);
    EXPECT_TRUE(positions[5].productFilePresent);
    EXPECT_FALSE(positions[6].productFilePresent);
    // Held from its check until it is removed itself.
    for (const Position& p : positions) EXPECT_TRUE(p.folderHeld) << p.value;
    EXPECT_FALSE(ts::folderExists(installDir));
    EXPECT_FALSE(printerFacts(product::kPrinterName).exists);
    EXPECT_FALSE(driverRegistered(product::kDriverName));
    EXPECT_EQ(0, stagedDriverFiles());
}

// The add-in is loaded from the install folder and files are deleted in it:
// one that others can change, or below a folder that others can rename or a
// link, or one whose rights cannot be read, stops the run before anything
// goes, and the report says which.
TEST_F(RemovalRun, ARefusedInstallFolderStopsTheRunBeforeAnythingGoes) {
    const std::string linkParent = ts::makeTempDir("runlink"), link = linkParent + "\\product";
    ASSERT_TRUE(ts::makeFolderLink(link, root));
    const struct {
        std::string folder, open;  // open: the folder whose rights are kept
        const char* kept;
        const char* reason;
    } rows[] = {
        {installDir, installDir, sec::kUsersModify, product::kFolderOthersMayChange},
        {installDir, root, sec::kUsersModify, product::kFolderAboveOthersMayChange},
        {link + "\\Scribe", "", "", product::kFolderLinked},
        {installDir, installDir, sec::kUnreadable, product::kFolderUnreadable},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder + ", kept " + row.open);
        sec::SecurityStore store;
        if (!row.open.empty()) store.keep(row.open, row.kept);
        Installer refused;
        refused.initRemoval(row.folder.c_str(), nullptr, bar);
        errorText[0] = '\0';
        EXPECT_EQ(0, refused.runRemoval());
        char report[512];
        if (row.reason == product::kFolderUnreadable) {
            // The reading's own error (5 from the store) and the system's
            // text for it, then the outcome.
            snprintf(report, sizeof report, row.reason, row.folder.c_str(), 5, "");
            const std::string said = errorText;
            EXPECT_EQ(0u, said.find(report)) << said;
            EXPECT_EQ(said.size() - strlen(product::kInstallFolderRefused), said.rfind(product::kInstallFolderRefused));
        } else {
            snprintf(report, sizeof report, row.reason, row.folder.c_str(), product::kInstallFolderRefused);
            EXPECT_STREQ(report, errorText);
        }
    }
    ts::removeFolderLink(link);
    ts::removeTree(linkParent);
    EXPECT_EQ(std::vector<int>{}, barValues()) << "a step began";
    EXPECT_TRUE(isProductPrinter());
    EXPECT_TRUE(ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kProductKey));
    EXPECT_TRUE(ts::fileExists(installDir + "\\ops_wordaddin.dll") && ts::fileExists(watchedFile));
}

// The user's own Start-menu folders may be links to anywhere: nothing is
// deleted through them, and the log says so instead of "done".
TEST_F(RemovalRun, ShortcutsBehindALinkAreKeptAndTheLogSaysSo) {
    const std::string elsewhere = ts::makeTempDir("elsewhere"), user = ts::programsFolder(false);
    const std::string log = root + "\\run.log";
    CreateDirectoryA((elsewhere + "\\PDF Scribe").c_str(), nullptr);
    for (const char* file : {"Uninstall.lnk", "PDF Scribe\\Uninstall.lnk"})
        ts::writeFile(elsewhere + "\\" + file, "theirs");
    for (const char* folder : {"Orlan PDF Scribe", "Orlan Software"})
        ASSERT_TRUE(ts::makeFolderLink(user + "\\" + folder, elsewhere));
    ASSERT_TRUE(runlog::open(log.c_str()));
    EXPECT_EQ(1, remover.runRemoval()) << errorText;
    removeLeftovers(installDir.c_str());
    runlog::close();
    for (const char* folder : {"Orlan PDF Scribe", "Orlan Software"}) ts::removeFolderLink(user + "\\" + folder);
    for (const char* file : {"Uninstall.lnk", "PDF Scribe\\Uninstall.lnk"})
        EXPECT_EQ("theirs", ts::readFile(elsewhere + "\\" + file)) << file;
    const std::string text = ts::readFile(log);
    for (const char* step : {"Removing the shortcuts: ", "Removing what earlier releases left: "})
        EXPECT_NE(std::string::npos, text.find(step + std::string(kKeptForLink))) << text;
    ts::removeTree(elsewhere);
}

// The uninstaller's form: a cancelled driver deletion puts the product's
// printer back, not its copies, and the run stops after the printer step.
TEST_F(RemovalRun, CancelOnTheDriverPromptStopsAfterThePrinterStepAndPutsThePrinterBack) {
    ASSERT_TRUE(addPrinterOn("PDF Copy", product::kPortName, product::kDriverName));
    std::string link = us::startMenuFolder() + "\\Uninstall.lnk";
    ASSERT_TRUE(ts::fileExists(link));
    failDriverDeletions(spooler, 1000);
    BoxAnswerer answerer(product::kBoxCaption, {IDCANCEL});
    EXPECT_EQ(0, remover.runRemoval());
    EXPECT_TRUE(showed(answerer.finish(), {kDriverPrompt}));
    EXPECT_EQ(1, driverCalls);
    EXPECT_EQ((std::vector<int>{0, 30}), barValues()) << "the bar stops at the printer step";

    // Nothing after the printer step was touched.
    EXPECT_TRUE(ts::regValue(HKEY_LOCAL_MACHINE, product::kProductKey, "SetupPath", nullptr));
    EXPECT_TRUE(ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kUninstallKey));
    EXPECT_TRUE(ts::fileExists(installDir + "\\uninstall.exe"));
    EXPECT_TRUE(ts::fileExists(installDir + "\\ops_wordaddin.dll"));
    EXPECT_TRUE(ts::fileExists(link));
    EXPECT_EQ(3, stagedDriverFiles());

    // The printer the removal deleted is back, on the product's port and
    // driver; its copy is not.
    EXPECT_TRUE(isProductPrinter());
    EXPECT_FALSE(printerFacts("PDF Copy").exists);
    EXPECT_TRUE(driverRegistered(product::kDriverName));

    // The report the uninstaller shows for the stop: its own form, the
    // driver's tag and the spooler's code.
    const std::string report = errorText;
    EXPECT_EQ(0u, report.find("Error happened to Orlan PDF Scribe, installation might not be complete.\n")) << report;
    EXPECT_NE(std::string::npos, report.find("Error tag = Orlan PDF Driver can't be deleted(3001):")) << report;
    EXPECT_NE(std::string::npos, report.find("Please report this error to Orlan (")) << report;
}

// The spooler will not say where its drivers are: the run stops at once,
// with the report, before any deletion.
TEST_F(RemovalRun, WithoutTheDriverDirectoryNothingIsTouched) {
    spooler->getPrinterDriverDirectory = noDriverDirectory;
    EXPECT_EQ(0, remover.runRemoval());
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = GetPrinterDriverDirectory(5):")) << errorText;
    EXPECT_TRUE(ts::fileExists(installDir + "\\uninstall.exe"));
    EXPECT_TRUE(isProductPrinter());
}

// A user who cancels must get out, even when the printer cannot be put
// back. A removal that started over would ask again; the second answer and
// driver call let such a loop end instead of hanging the test.
TEST_F(RemovalRun, FailedPutBackIsTriedOnceReportedAndTheRemovalStops) {
    ASSERT_TRUE(addPrinterOn("PDF Copy", product::kPortName, product::kDriverName));
    failDriverDeletions(spooler, 2);
    addPrinterCalls = 0;
    spooler->addPrinter = addPrinterRefused;
    BoxAnswerer answerer(product::kBoxCaption, {IDCANCEL, IDCANCEL});
    EXPECT_EQ(0, remover.runRemoval());
    EXPECT_TRUE(showed(answerer.finish(), {kDriverPrompt})) << "the cancelled prompt came back";
    EXPECT_EQ(1, driverCalls);
    EXPECT_EQ(1, addPrinterCalls);
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = AddPrinter(1801):")) << errorText;
    // Stopped where the user cancelled: the driver and its files stay.
    EXPECT_TRUE(driverRegistered(product::kDriverName));
    EXPECT_EQ(3, stagedDriverFiles());
    EXPECT_FALSE(printerFacts(product::kPrinterName).exists);
}

// Unattended, a printer that will not go is tried a few times more, each
// answer in the log, and the removal ends with its own code and no box.
TEST_F(RemovalRun, UnattendedPrinterThatStaysIsRetriedLoggedAndFailsWithoutABox) {
    spooler->deletePrinter = printerStays;
    const std::string log = root + "\\run.log";
    ts::regDeleteTree(HKEY_LOCAL_MACHINE, product::kProductKey);
    us::recordForUser(installDir);
    ASSERT_TRUE(runlog::open(log.c_str()));
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

    const std::string text = ts::readFile(log);
    EXPECT_EQ(3u, count(text, "Answer: try again")) << text;
    EXPECT_EQ(1u, count(text, "Answer: give up")) << text;
    EXPECT_GE(took, 3 * prompt::kRetryWaitMs - 100) << "the retries did not wait";
    const size_t failed = text.find("Removing the printers and the driver: failed: ");
    EXPECT_NE(std::string::npos, text.find("Error tag = Orlan PDF Printer can not be deleted(5)", failed)) << text;
    EXPECT_EQ(0u, count(text, "Removing the registry records")) << "the run went on after the failed step";
    EXPECT_TRUE(printerFacts(product::kPrinterName).exists);
    EXPECT_TRUE(driverRegistered(product::kDriverName));
    EXPECT_TRUE(ts::regKeyExists(HKEY_CURRENT_USER, product::kProductKey));
}

TEST_F(RemovalOperations, RegistryRecordsGoFromBothHivesWithTheUninstallEntry) {
    ts::regSetText(HKEY_LOCAL_MACHINE, product::kProductKey, "SetupPath", "C:\\x\\");
    ts::regSetText(HKEY_LOCAL_MACHINE, (std::string(product::kProductKey) + "\\Deeper\\Still").c_str(), "v", "1");
    ts::regSetText(HKEY_CURRENT_USER, product::kProductKey, "SetupPath", "C:\\x\\");
    ts::regSetText(HKEY_LOCAL_MACHINE, product::kUninstallKey, "DisplayName", "Orlan Scribe");
    ts::regSetText(HKEY_LOCAL_MACHINE, product::kOldUninstallKey, "DisplayName", "PDF Scribe");
    ts::regSetText(HKEY_LOCAL_MACHINE, "Software\\Orlan Software\\Other Product", "v", "kept");

    Installer remover;
    remover.removeRegistryRecords();
    EXPECT_FALSE(ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kProductKey));
    EXPECT_FALSE(ts::regKeyExists(HKEY_CURRENT_USER, product::kProductKey));
    EXPECT_FALSE(ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kUninstallKey));
    // The older product's entry is left for the clean-up after the run.
    EXPECT_TRUE(ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kOldUninstallKey));

    ts::regSetText(HKEY_CURRENT_USER, product::kProductKey, "SetupPath", "C:\\x\\");
    removeLeftovers(installDir.c_str());
    EXPECT_FALSE(ts::regKeyExists(HKEY_LOCAL_MACHINE, product::kOldUninstallKey));
    EXPECT_FALSE(ts::regKeyExists(HKEY_CURRENT_USER, product::kProductKey));
    EXPECT_TRUE(ts::regKeyExists(HKEY_LOCAL_MACHINE, "Software\\Orlan Software\\Other Product"));
    ts::regDeleteTree(HKEY_LOCAL_MACHINE, "Software\\Orlan Software\\Other Product");

    // Nothing left: every operation runs through again quietly.
    remover.removeRegistryRecords();
    removeLeftovers(installDir.c_str());
}

TEST_F(RemovalOperations, ShortcutsGoFromBothProgramsFoldersAndEmptyFoldersWithThem) {
    std::string common = ts::programsFolder(true), user = ts::programsFolder(false);
    for (const std::string& base : {common, user}) {
        CreateDirectoryA((base + "\\Orlan PDF Scribe").c_str(), nullptr);
        ts::writeFile(base + "\\" + product::kUninstallLink, "link");
        ts::writeFile(base + "\\" + product::kBatchLink, "link");
    }
    CreateDirectoryA((common + "\\Orlan Software").c_str(), nullptr);
    CreateDirectoryA((common + "\\Orlan Software\\PDF Scribe").c_str(), nullptr);
    ts::writeFile(common + "\\" + product::kOldVendorLink, "link");
    ts::writeFile(user + "\\Orlan PDF Scribe\\Readme.txt", "the user's own");

    Installer remover;
    remover.removeShortcuts();
    for (const std::string& base : {common, user}) {
        EXPECT_FALSE(ts::fileExists(base + "\\" + product::kUninstallLink)) << base;
        EXPECT_FALSE(ts::fileExists(base + "\\" + product::kBatchLink)) << base;
    }
    removeLeftovers(installDir.c_str());
    EXPECT_FALSE(ts::fileExists(common + "\\" + product::kOldVendorLink));
    EXPECT_FALSE(ts::folderExists(common + "\\Orlan PDF Scribe"));
    // A folder still holding something of the user's stays.
    EXPECT_TRUE(ts::fileExists(user + "\\Orlan PDF Scribe\\Readme.txt"));
}

// Every file here is read-only, as copies of a read-only payload may be:
// DeleteFile alone refuses them.
static void writeReadOnly(const std::string& path, const std::string& data) {
    ts::writeFile(path, data);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

TEST_F(RemovalOperations, ProductFilesGoAndForeignFilesStay) {
    for (const char* file : {"Uninstall.exe", "OPSBatch.exe", "Notes.txt"})
        writeReadOnly(installDir + "\\" + file, "x");
    // Any DLL without the export: the add-in file goes all the same.
    writeReadOnly(installDir + "\\OPS_WordAddin.dll", "not a library");
    CreateDirectoryA((installDir + "\\PDF Scribe").c_str(), nullptr);
    writeReadOnly(installDir + "\\PDF Scribe\\Uninstall.exe", "older");

    std::string fakeDriverDir = ts::makeTempDir("drivers");
    CreateDirectoryA((fakeDriverDir + "\\3").c_str(), nullptr);
    const char* driverFiles[] = {"ORC_ProxyProcess.exe", "kpdcjk.bin", "kpd_pnt.txt", "kpd_drv.dll", "kpd_ui.dll",
                                 "other_driver.dll"};
    for (const char* file : driverFiles) writeReadOnly(fakeDriverDir + "\\3\\" + file, "x");

    Installer remover;
    remover.initRemoval((installDir + "\\").c_str(), nullptr, nullptr);
    EXPECT_EQ(installDir, remover.installDir);
    lstrcpyA(remover.driverDir, fakeDriverDir.c_str());
    remover.removeWordAddin(remover.installDir);
    remover.removeProductFiles();
    removeLeftovers(installDir.c_str());

    for (const char* file : {"Uninstall.exe", "OPSBatch.exe", "OPS_WordAddin.dll", "PDF Scribe\\Uninstall.exe"})
        EXPECT_FALSE(ts::fileExists(installDir + "\\" + file)) << file;
    EXPECT_TRUE(ts::fileExists(installDir + "\\Notes.txt"));
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(ts::fileExists(fakeDriverDir + "\\3\\" + driverFiles[i])) << driverFiles[i];
    EXPECT_TRUE(ts::fileExists(fakeDriverDir + "\\3\\other_driver.dll"));
    ts::removeTree(fakeDriverDir);
}

// An install folder that cannot be trusted touches nothing at all.
TEST_F(RemovalOperations, WordAddinIsUnregisteredBeforeItsFileGoes) {
    const std::string file = installDir + "\\ops_wordaddin.dll";
    ASSERT_TRUE(CopyFileA(ts::distFile("ops_wordaddin.dll").c_str(), file.c_str(), FALSE));
    HMODULE addin = LoadLibraryA(file.c_str());
    ASSERT_TRUE(addin);
    auto registerServer = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(addin, "DllRegisterServer")));
    ASSERT_TRUE(registerServer);
    ASSERT_GE(registerServer(), 0);
    FreeLibrary(addin);
    const char* addinKey = "Software\\Microsoft\\Office\\Word\\Addins\\OrlanPdfScribe.WordAddin";
    ASSERT_TRUE(ts::regKeyExists(HKEY_CURRENT_USER, addinKey) || ts::regKeyExists(HKEY_LOCAL_MACHINE, addinKey));

    Installer remover;
    remover.removeWordAddin(installDir.c_str());
    EXPECT_FALSE(ts::regKeyExists(HKEY_CURRENT_USER, addinKey));
    EXPECT_FALSE(ts::regKeyExists(HKEY_LOCAL_MACHINE, addinKey));
    EXPECT_FALSE(ts::fileExists(file));
}

TEST_F(RemovalOperations, EmptyOrOverlongFolderTouchesNoFile) {
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(installDir.c_str());
    ts::writeFile(installDir + "\\Uninstall.exe", "x");  // "\Uninstall.exe" would be the drive root's; ".\..." this one

    Installer remover;
    std::string overlong = installDir + "\\" + std::string(300, 'y');
    remover.initRemoval(overlong.c_str(), nullptr, nullptr);
    EXPECT_STREQ("", remover.installDir);
    remover.removeWordAddin(remover.installDir);
    remover.removeProductFiles();
    removeLeftovers("");
    SetCurrentDirectoryA(current);
    EXPECT_TRUE(ts::fileExists(installDir + "\\Uninstall.exe"));
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
    HANDLE thread_ = nullptr;
};

TEST_F(ProgressDialog, ComesUpCentredWithItsControlsAndIcon) {
    DWORD begin = GetTickCount();
    EXPECT_FALSE(waitForDialog(300, 20)) << "no dialog yet";
    EXPECT_GE(GetTickCount() - begin, 280u) << "the wait ended before its limit";
    thread_ = CreateThread(nullptr, 0, uninstallDialogThread, GetModuleHandleA(nullptr), 0, nullptr);
    ASSERT_TRUE(thread_);
    begin = GetTickCount();
    const DWORD limit = 20000;
    ASSERT_TRUE(waitForDialog(limit, 20));
    EXPECT_LT(GetTickCount() - begin, limit) << "the wait went on to its limit with the dialog up";
    HWND dialog = uninstallDialog;
    ASSERT_TRUE(IsWindow(dialog));
    EXPECT_EQ(GetDlgItem(dialog, IDC_UNINSTALL_PROGRESS), uninstallProgress);
    EXPECT_EQ(product::kUninstallCaption, ts::windowText(dialog));
    EXPECT_EQ(dialog, FindWindowA("#32770", product::kUninstallCaption));
    EXPECT_EQ(uninstallProgress, FindWindowExA(dialog, nullptr, "msctls_progress32", nullptr));
    EXPECT_EQ(0, (int)SendMessageA(uninstallProgress, PBM_GETRANGE, TRUE, 0));
    EXPECT_EQ(100, (int)SendMessageA(uninstallProgress, PBM_GETRANGE, FALSE, 0));

    // The text with its line break, and nothing after "Status:".
    const char body[] =
        "Please wait while Orlan PDF Scribe is being removed from your computer. This may take several minutes.\n"
        "Status:";
    EXPECT_EQ(body, ts::windowText(FindWindowExA(dialog, nullptr, "Static", body)));

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
