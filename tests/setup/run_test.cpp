// Whole installation runs under a real progress page made from setup's own
// template, with its status text and progress bar subclassed to record what
// the run shows, against Wine's real spooler.
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include "common/product.h"
#include "common/runlog.h"
#include "resources/resource.h"
#include "setup/options.h"
#include "setup/page_logic.h"
#include "setup/pages.h"
#include "setup/run.h"
#include "tests/spooler/spooler_fixture.h"
#include "tests/support/install_support.h"

using namespace spooler_support;
using testing_support::fileExists;

namespace {
// Touched only on the page's own thread, where the controls run.
std::vector<std::string> shownTexts;
std::vector<int> shownPositions;
WNDPROC statusProc, barProc;
std::atomic<HWND> currentPage{nullptr};

LRESULT CALLBACK recordStatus(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) shownTexts.push_back(lParam ? reinterpret_cast<const char*>(lParam) : "");
    return CallWindowProcA(statusProc, window, message, wParam, lParam);
}
LRESULT CALLBACK recordBar(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS) shownPositions.push_back(static_cast<int>(wParam));
    return CallWindowProcA(barProc, window, message, wParam, lParam);
}
// The real page procedure, with the two controls subclassed before it starts its thread.
INT_PTR CALLBACK recordingPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        currentPage = page;
        statusProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(GetDlgItem(page, IDC_STATUS), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordStatus)));
        barProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(GetDlgItem(page, IDC_PROGRESS_BAR), GWLP_WNDPROC,
                                                              reinterpret_cast<LONG_PTR>(recordBar)));
    }
    return progressPageProc(page, message, wParam, lParam);
}

const std::vector<std::string> kQuietRunTexts = {
    "Status: Adding printer port",           "Status: Adding printer driver",    "Status: Adding printer",
    "Status: Copying files to setup folder", "Status: Registering information", "",
    "Status: Success"};
const std::vector<int> kQuietRunPositions = {36, 45, 54, 63, 72, 81, 100};

std::string screenPath(const char* name) { return testing_support::outputDir("screens") + "\\" + name; }

}  // namespace

class ProgressPageRun : public SpoolerTest {
protected:
    void SetUp() override {
        SpoolerTest::SetUp();
        InitCommonControls();
        saved = options;
        installDir = testing_support::makeTempDir("orlan_inst") + "\\Scribe";
        useSource(stagedSource());
        text::format(options.installDir, "%s\\", installDir.c_str());  // as typed, with a separator
        options.addWordAddin = 0;
        options.addStartMenuIcon = 0;
        options.allUsers = 0;
        ASSERT_TRUE(registerDriver(stagedSource(), "Other Test Driver"));
        ASSERT_TRUE(addPrinterOn("Previous Printer", "LPT1:", "Other Test Driver"));
        ASSERT_TRUE(makeDefault("Previous Printer"));
    }
    void TearDown() override {
        options = saved;
        for (const auto& key : addinKeys) testing_support::regDeleteTree(key.first, key.second);
        deletePrinterNamed("Previous Printer");
        SpoolerTest::TearDown();
        deleteDriver("Other Test Driver");
    }
    // What registering the add-in writes; a run with the add-in leaves it.
    const std::pair<HKEY, const char*> addinKeys[2] = {
        {HKEY_CLASSES_ROOT, "OrlanPdfScribe.WordAddin"},
        {HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\Word\\Addins\\OrlanPdfScribe.WordAddin"}};
    void useSource(const std::string& folder) { text::copy(options.sourceDir, folder.c_str()); }

    INT_PTR runPage() {
        shownTexts.clear();
        shownPositions.clear();
        run = InstallRun();
        run.choices = options;
        return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, recordingPage,
                               reinterpret_cast<LPARAM>(&run));
    }

    InstallOptions saved;
    InstallRun run;
    std::string installDir;
};

// Over what an earlier installation left: its Start-menu links go, and so
// does its record for one user, which the uninstaller would otherwise
// follow to the old folder. The add-in step shows nothing of its own; the
// shortcut the run makes is the acceptance tests'.
TEST_F(ProgressPageRun, InstallsPortDriverAndPrinterAndMakesItTheDefault) {
    options.addWordAddin = 1;
    testing_support::regSetText(HKEY_CURRENT_USER, product::kProductKey, "SetupPath", "C:\\Earlier Place\\");
    const std::string linkFolders[] = {testing_support::programsFolder(true) + "\\Orlan PDF Scribe",
                                       testing_support::programsFolder(false) + "\\Orlan PDF Scribe"};
    for (const std::string& folder : linkFolders) {
        CreateDirectoryA(folder.c_str(), nullptr);
        for (const char* name : {"Uninstall.lnk", "ScribeBatch.lnk"})
            testing_support::writeFile(folder + "\\" + name, "an earlier installation's link");
    }

    const std::string log = installDir + ".log";
    ASSERT_TRUE(runlog::open(log.c_str()));
    EXPECT_EQ(1, runPage()) << errorText;
    // A default that will not change stops nothing, but the log says why.
    InstallRun gone = run;
    text::copy(gone.previousDefaultPrinter, "No Such Printer");
    giveDefaultBack(gone);
    runlog::close();
    const std::string logged = testing_support::readFile(log);
    EXPECT_NE(std::string::npos, logged.find("Default printer \"Orlan PDF Printer\": done")) << logged;
    EXPECT_NE(std::string::npos, logged.find("Default printer \"No Such Printer\": failed: Error happened")) << logged;
    EXPECT_NE(std::string::npos, logged.find("Error tag = SetDefaultPrinter(")) << logged;
    EXPECT_FALSE(testing_support::regKeyExists(HKEY_CURRENT_USER, product::kProductKey));
    for (const std::string& folder : linkFolders)
        EXPECT_FALSE(testing_support::folderExists(folder)) << "the links and their emptied folder go: " << folder;
    EXPECT_EQ(kQuietRunTexts, shownTexts);
    EXPECT_EQ(kQuietRunPositions, shownPositions);

    EXPECT_TRUE(productPortListed());
    EXPECT_TRUE(driverRegistered("Orlan PDF Printer Driver"));
    EXPECT_EQ(3, stagedDriverFiles(true));
    EXPECT_TRUE(isProductPrinter());
    EXPECT_EQ("Orlan PDF Printer", defaultPrinter());
    EXPECT_STREQ("Previous Printer", run.previousDefaultPrinter);
}

TEST_F(ProgressPageRun, SecondRunAsksFirstWithoutEndingOnEscapeNoChangesNothingAndYesKeepsWhatIsThere) {
    ASSERT_EQ(1, runPage()) << errorText;
    ASSERT_TRUE(deletePrinterNamed("Orlan PDF Printer"));
    ASSERT_TRUE(makeDefault("Previous Printer"));

    {
        // Escape and Alt+F4 reach the asking page as IDCANCEL and WM_CLOSE; it
        // stays until the run's own answer ends it.
        currentPage = nullptr;
        bool stillShown = false;
        testing_support::MessageBoxInfo box;
        std::thread user([&] {
            if (!testing_support::findMessageBox("Orlan PDF Scribe Setup").window) return;
            testing_support::screenshot(screenPath("progress_question.bmp"));
            HWND page = currentPage;
            SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            SendMessageA(page, WM_CLOSE, 0, 0);
            stillShown = IsWindow(page) && IsWindowVisible(page);
            box = testing_support::answerMessageBox("Orlan PDF Scribe Setup", IDNO);
        });
        EXPECT_EQ(1, runPage()) << "the run's own answer ends the page";
        user.join();
        EXPECT_TRUE(stillShown);
        EXPECT_EQ("Orlan PDF Scribe is already installed on this computer. \n"
                  "Are you sure you want to continue installing Orlan PDF Scribe?",
                  box.text);
        EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
    }
    EXPECT_TRUE(shownTexts.empty());
    EXPECT_TRUE(shownPositions.empty());
    EXPECT_FALSE(printerFacts("Orlan PDF Printer").exists);
    EXPECT_EQ("Previous Printer", defaultPrinter());
    EXPECT_STREQ("Previous Printer", run.previousDefaultPrinter);

    // A printer of the product's name that the user set up on another port
    // is accepted as it is, and so is the port the first run added.
    ASSERT_TRUE(addPrinterOn("Orlan PDF Printer", "LPT1:", "Orlan PDF Printer Driver"));
    const PrinterFacts before = printerFacts("Orlan PDF Printer");
    {
        // OK answers a failed run's report, which must not come.
        BoxAnswerer answerer("Orlan PDF Scribe Setup", {IDYES, IDOK});
        EXPECT_EQ(1, runPage()) << errorText;
        EXPECT_EQ(1u, answerer.finish().size()) << "only the question";
    }
    EXPECT_EQ(kQuietRunTexts, shownTexts);
    EXPECT_EQ(kQuietRunPositions, shownPositions);
    const PrinterFacts after = printerFacts("Orlan PDF Printer");
    ASSERT_TRUE(after.exists);
    EXPECT_EQ("LPT1:", after.port);
    EXPECT_EQ(before.driver, after.driver);
    EXPECT_EQ(before.processor, after.processor);
    EXPECT_EQ(before.datatype, after.datatype);
    EXPECT_EQ(before.attributes & ~PRINTER_ATTRIBUTE_DEFAULT, after.attributes & ~PRINTER_ATTRIBUTE_DEFAULT);
    EXPECT_EQ("Orlan PDF Printer", defaultPrinter());
}

// A payload file that is missing, or differs from the release's table by a
// single byte, stops the run before it changes anything: not even what an
// earlier installation left goes.
TEST_F(ProgressPageRun, AMissingOrChangedPayloadFileStopsTheRunBeforeAnything) {
    const struct {
        const char* file;
        bool missing;
        const char* tag;
    } cases[] = {{"kpd_ui.dll", true, "Error tag = CopyFile_2(2):"},
                 {"kpdcjk.bin", false, "Error tag = CopyFile_11(1392):"}};
    stageDriverFiles();
    testing_support::regSetText(HKEY_CURRENT_USER, product::kProductKey, "SetupPath", "C:\\Earlier Place\\");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::string source = testing_support::makeTempDir("orlan_bad");
        testing_support::stageDist(source, {c.file});
        std::string changed = testing_support::readFile(testing_support::distFile(c.file));
        changed[0] ^= 1;
        if (!c.missing) testing_support::writeFile(source + "\\" + c.file, changed);
        useSource(source + "/");  // a trailing separator is dropped

        BoxAnswerer answerer("Orlan PDF Scribe Setup", {IDOK}, 15000, screenPath("progress_failed.bmp"));
        EXPECT_EQ(0, runPage());
        const auto& boxes = answerer.finish();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_NE(std::string::npos, boxes[0].text.find(c.tag)) << boxes[0].text;
        EXPECT_EQ(std::vector<int>{IDOK}, boxes[0].buttons);
        EXPECT_TRUE(shownTexts.empty());
        EXPECT_TRUE(shownPositions.empty());
        EXPECT_EQ(3, stagedDriverFiles()) << "an earlier installation's driver files stay";
        EXPECT_TRUE(testing_support::regKeyExists(HKEY_CURRENT_USER, product::kProductKey));
        EXPECT_FALSE(driverRegistered("Orlan PDF Printer Driver"));
        EXPECT_EQ("Previous Printer", defaultPrinter());
        testing_support::removeTree(source);
    }
    testing_support::regDeleteTree(HKEY_CURRENT_USER, product::kProductKey);
}

// The add-in step comes after the files and records and before the shortcut:
// a cancelled add-in keeps what came before and creates no shortcut.
TEST_F(ProgressPageRun, CancelledAddinCopyEndsAtTheInterruptedPageBeforeTheShortcut) {
    options.addWordAddin = 1;
    options.addStartMenuIcon = 1;
    options.allUsers = 1;
    testing_support::regDeleteTree(HKEY_LOCAL_MACHINE, product::kProductKey);
    std::vector<std::string> links;
    for (bool allUsers : {true, false}) {
        links.push_back(testing_support::programsFolder(allUsers) + "\\Orlan PDF Scribe\\Uninstall.lnk");
        DeleteFileA(links.back().c_str());
    }
    // Word holds the add-in installed earlier.
    ASSERT_TRUE(CreateDirectoryA(installDir.c_str(), nullptr));
    const std::string addin = installDir + "\\ops_wordaddin.dll";
    testing_support::writeFile(addin, "the copy Word has open");
    HANDLE held = install_support::holdExclusively(addin);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    INT_PTR result;
    std::vector<testing_support::MessageBoxInfo> prompts, reports;
    {
        BoxAnswerer prompt("Orlan PDF Scribe", {IDCANCEL});
        BoxAnswerer report("Orlan PDF Scribe Setup", {IDOK});
        result = runPage();
        prompts = prompt.finish();
        reports = report.finish();
    }
    CloseHandle(held);

    EXPECT_EQ(0, result) << "the wizard goes on to the interrupted page";
    EXPECT_EQ((std::vector<int>{36, 45, 54, 63, 72, 81}), shownPositions);

    EXPECT_TRUE(printerFacts("Orlan PDF Printer").exists);
    EXPECT_TRUE(fileExists(installDir + "\\uninstall.exe"));
    std::string setupPath;
    EXPECT_TRUE(testing_support::regValue(HKEY_LOCAL_MACHINE, product::kProductKey, "SetupPath", &setupPath));
    EXPECT_EQ(installDir + "\\", std::string(setupPath.c_str()));
    EXPECT_EQ("the copy Word has open", testing_support::readFile(addin));
    for (const auto& key : addinKeys) EXPECT_FALSE(testing_support::regKeyExists(key.first, key.second)) << key.second;
    for (const std::string& link : links) EXPECT_FALSE(fileExists(link)) << link;
    ASSERT_EQ(1u, prompts.size());
    EXPECT_EQ("Installation might not be complete. \nPlease close the Microsoft Word program and try again, \n"
              "or click 'CANCEL' to quit.",
              prompts[0].text);
    ASSERT_EQ(1u, reports.size()) << "the run's report follows the cancel";
    EXPECT_NE(std::string::npos, reports[0].text.find("Error tag = RegServ2(32):")) << reports[0].text;
}

// A failed file copy, record write or shortcut stops the run as every other
// step does: its report, then the interrupted page; the printer installed
// before it stays, as after a cancelled add-in, and so does the product key
// that the records write before the uninstall entry.
TEST_F(ProgressPageRun, AFailedCopyOrRecordWriteStopsTheRunWithItsReport) {
    const std::string reservedName = installDir + "\\CON\\Orlan";  // a device name as a folder
    // A file where the Start-menu folder would go: no shortcut can be saved.
    const std::string blockedLinks = testing_support::programsFolder(false) + "\\Orlan PDF Scribe";
    struct Case {
        const char* what;
        std::string folder;
        bool refuseEntry, blockShortcut;
        std::vector<int> answers;  // the second run is asked first whether to install again
        const char* tag;
        std::vector<int> positions;
    } cases[] = {
        {"a folder that cannot be made", reservedName, false, false, {IDOK}, "Error tag = CreateDir3(", {36, 45, 54, 63}},
        {"an entry that refuses its values", installDir, true, false, {IDYES, IDOK}, "Error tag = RegSetValue(5):",
         {36, 45, 54, 63, 72}},
        {"a shortcut that cannot be saved", installDir, false, true, {IDYES, IDOK}, "Error tag = CreateShortcut(",
         {36, 45, 54, 63, 72, 81}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The Destination page lets the folder through.
        ASSERT_EQ(FolderProblem::None, checkFolderText(c.folder.c_str(), driveExists));
        text::copy(options.installDir, c.folder.c_str());
        options.addStartMenuIcon = c.blockShortcut;
        if (c.blockShortcut) testing_support::writeFile(blockedLinks, "not a folder");
        std::unique_ptr<install_support::KeyRefusingValues> entry;
        if (c.refuseEntry) {
            entry.reset(new install_support::KeyRefusingValues(HKEY_LOCAL_MACHINE, product::kUninstallKey));
            ASSERT_TRUE(entry->ready());
        }
        BoxAnswerer answerer("Orlan PDF Scribe Setup", c.answers);
        EXPECT_EQ(0, runPage()) << "the wizard goes on to the interrupted page";
        std::vector<testing_support::MessageBoxInfo> boxes = answerer.finish();
        ASSERT_EQ(c.answers.size(), boxes.size());
        EXPECT_NE(std::string::npos, boxes.back().text.find(c.tag)) << boxes.back().text;
        EXPECT_EQ(c.positions, shownPositions);
        EXPECT_NE("Status: Success", shownTexts.empty() ? "" : shownTexts.back());
        EXPECT_TRUE(printerFacts("Orlan PDF Printer").exists) << "what came before stays installed";
        std::string setupPath;
        EXPECT_EQ(c.folder == installDir, testing_support::regValue(HKEY_LOCAL_MACHINE, product::kProductKey,
                                                                    "SetupPath", &setupPath))
            << "the product key comes before the entry";
        if (c.folder == installDir) {
            EXPECT_EQ(installDir + "\\", std::string(setupPath.c_str()));
        }
    }
    DeleteFileA(blockedLinks.c_str());
    EXPECT_TRUE(fileExists(installDir + "\\uninstall.exe")) << "the copy before the records stays";
}
