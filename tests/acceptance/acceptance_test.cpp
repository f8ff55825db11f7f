// The product as its users meet it: the release folder as received, the
// real wizard on the default and the custom road, the machine checked
// against the road of one installation, the uninstaller started from the
// Start-menu shortcut's target, and the machine compared with its state
// before the install.
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include "common/product.h"
#include "tests/support/install_support.h"
#include "tests/support/machine_state.h"
#include "tests/support/product_road.h"
#include "tests/support/spooler_support.h"
#include "tests/support/support.h"
#include "tests/support/uninstall_support.h"
#include "tests/support/wizard_support.h"

namespace ts = testing_support;
namespace ms = machine_state;
using wizard::WizardPage;
using product_road::defaultInstallDir;
using product_road::shortcutPath;
using product_road::uninstallFromShortcut;

namespace {

const char kPdfPort[] = "port ORLAN_PDF:";
const char kAskedMark[] = "C:\\orlan-rights-asked.mark";

// What the product leaves behind on purpose after a complete removal: the
// port (nothing ever removes it); the empty vendor keys above the product
// keys (the registry reads create them; only the product keys are deleted);
// and Word's list of add-ins, which belongs to Word: the add-in takes only
// its own entry out of it.
bool leftOnPurpose(const std::string& line) {
    return line == kPdfPort || line == "key HKLM\\Software\\Orlan Software" ||
           line == "key HKCU\\Software\\Orlan Software" ||
           line == "key HKCU\\Software\\Microsoft\\Office\\Word\\Addins";
}

std::vector<std::string> unexpectedLeftovers(const ms::Snapshot& before, const ms::Snapshot& after) {
    std::vector<std::string> lines = ms::minus(after, before);
    lines.erase(std::remove_if(lines.begin(), lines.end(), leftOnPurpose), lines.end());
    return lines;
}

// After the removal: nothing left but what stays on purpose, nothing that
// was there before lost, and no install folder.
void expectAsBefore(const ms::Snapshot& before, const std::string& installDir, const std::string& context = "") {
    ms::Snapshot after = ms::capture({installDir});
    EXPECT_EQ("  (nothing)\n", ms::describe(unexpectedLeftovers(before, after))) << "left behind " << context;
    EXPECT_EQ("  (nothing)\n", ms::describe(ms::minus(before, after))) << "removed although it was there before";
    EXPECT_TRUE(after.count(kPdfPort)) << "the port stays by design";
    EXPECT_FALSE(ts::folderExists(installDir));
}

// The road of one installation, checked on the machine.
void expectInstalled(const std::string& installDir, bool allUsers, bool addin, bool shortcut = true,
                     bool ourDefault = true) {
    ms::Snapshot s = ms::capture({installDir});
    EXPECT_TRUE(s.count(kPdfPort));
    EXPECT_TRUE(s.count("driver Orlan PDF Printer Driver"));
    EXPECT_TRUE(s.count("printer Orlan PDF Printer | Orlan PDF Printer Driver | ORLAN_PDF: | WinPrint | RAW"));
    EXPECT_EQ(ourDefault, s.count("default printer Orlan PDF Printer") == 1);
    EXPECT_TRUE(s.count("install file " + installDir + "\\uninstall.exe"));
    EXPECT_EQ(addin, s.count("install file " + installDir + "\\ops_wordaddin.dll") == 1);
    EXPECT_EQ(addin, ts::regKeyExists(HKEY_CLASSES_ROOT, "OrlanPdfScribe.WordAddin"));
    std::string value;
    EXPECT_TRUE(ts::regValue(HKEY_LOCAL_MACHINE, "Software\\Orlan Software\\PDF Scribe", "SetupPath", &value));
    EXPECT_EQ(installDir + "\\", value.c_str());
    const char* entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orlan Scribe";
    EXPECT_TRUE(ts::regValue(HKEY_LOCAL_MACHINE, entry, "UninstallString", &value));
    EXPECT_EQ("\"" + installDir + "\\uninstall.exe\"", value.c_str());
    // What Programs and Features and deployment tools read; they go with the
    // entry, which the snapshot after the removal shows.
    const std::string values = std::string("value HKLM\\") + entry + "\\";
    EXPECT_TRUE(s.count(values + "QuietUninstallString = \"" + installDir + "\\uninstall.exe\" /S"));
    EXPECT_TRUE(s.count(values + "NoModify = 1 (number)"));
    EXPECT_TRUE(s.count(values + "NoRepair = 1 (number)"));
    install_support::LinkContents link = install_support::readLink(shortcutPath(allUsers));
    EXPECT_EQ(shortcut, link.loaded);
    if (shortcut) {
        EXPECT_EQ(0, lstrcmpiA((installDir + "\\uninstall.exe").c_str(), link.target.c_str())) << link.target;
        EXPECT_EQ("Orlan PDF Scribe Uninstall", link.description);
    }
    EXPECT_FALSE(ts::fileExists(shortcutPath(!allUsers)));
    for (const char* f : {"kpd_drv.dll", "kpd_ui.dll", "kpd_pnt.txt", "ORC_ProxyProcess.exe", "kpdcjk.bin"})
        EXPECT_TRUE(ts::fileExists(spooler_support::versionFile(f))) << f;
}

// The step lines of a log: each step's name and outcome, without the time.
std::vector<std::string> stepLines(const std::string& log) {
    std::vector<std::string> steps;
    for (size_t at = 0, end; (end = log.find("\r\n", at)) != std::string::npos; at = end + 2) {
        std::string line = log.substr(at, end - at);
        if (line.size() > 21 && (line.find(": done") != std::string::npos || line.find(": failed") != std::string::npos))
            steps.push_back(line.substr(21));
    }
    return steps;
}

// Those of an installation with every option on.
const std::vector<std::string> kAllSteps = {
    "Checking the product files: done",            "Checking the install folder: done",
    "Status: Adding printer port: done",           "Status: Adding printer driver: done",
    "Status: Adding printer: done",                "Default printer \"Orlan PDF Printer\": done",
    "Status: Copying files to setup folder: done",
    "Status: Registering information: done",       "Word add-in: done",
    "Start menu shortcut: done"};

class Acceptance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(administrator.ready());
        DeleteFileA(kAskedMark);
        folder = wizard::stagedSetupFolder("accept");
    }
    void TearDown() override { ts::removeTree(folder); }
    std::string folder;
    // Wine reports every user as a guest; the uninstaller asks the account
    // database, which here says what Windows says of an administrator.
    uninstall_support::NetApiStandIn administrator{ORLAN_NETAPI_STUB, "2", kAskedMark};
    // The machine-wide records make the uninstaller ask the account record.
    static bool askedForRights() {
        bool asked = ts::fileExists(kAskedMark);
        DeleteFileA(kAskedMark);
        return asked;
    }

    // The default road from the staged folder, then the uninstaller from the
    // shortcut: the machine is left as it was, but the port.
    void defaultRoadInstallsAndRemoves() {
        std::string installDir = defaultInstallDir();
        ms::Snapshot before = ms::capture({installDir});
        std::string failure;
        const std::string log = ts::makeTempDir("logs") + "\\wizard.log";
        ASSERT_EQ(0, wizard::runDefaultRoad(folder, &failure, "\"/LOG=" + log + "\"")) << failure;
        EXPECT_EQ(kAllSteps, stepLines(ts::readFile(log))) << "the wizard's log";
        expectInstalled(installDir, true, true);

        ASSERT_EQ("", uninstallFromShortcut(true));
        EXPECT_TRUE(askedForRights());
        expectAsBefore(before, installDir, "after the uninstall");
    }
};

// Marks every file of folder read-only; how many.
int makeReadOnly(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    int readOnly = 0;
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            SetFileAttributesA((folder + "\\" + found.cFileName).c_str(), FILE_ATTRIBUTE_READONLY))
            ++readOnly;
    FindClose(find);
    return readOnly;
}

// Each round leaves the machine as it was before it, but the port. The last
// two start from a read-only payload, as one copied from a CD or unpacked
// from an archive may be: no copy setup makes carries that over, so the
// uninstaller leaves nothing.
TEST_F(Acceptance, FiveRoundsLeaveTheSameMachineAsOneAReadOnlyPayloadToo) {
    for (int round = 1; round <= 5 && !HasFatalFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        if (round == 4) ASSERT_GE(makeReadOnly(folder), 8) << "setup, the uninstaller and the payload";
        defaultRoadInstallsAndRemoves();
    }
}

// The custom road into installDir, all options on or, with currentUserNoAddin,
// the add-in off and the current-user road; "" or where it stopped.
std::string installThroughCustomRoad(const std::string& folder, const std::string& program,
                                     const std::string& installDir, bool currentUserNoAddin = false) {
    wizard::SetupRun setup(folder, program);
    std::string failure;
    HWND page = wizard::toDestination(setup, &failure);
    if (!page) return failure;
    SendMessageA(GetDlgItem(page, 1014), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(installDir.c_str()));
    if (!(page = setup.advance(page, 1001, WizardPage::Options))) return "the folder was refused";
    if (currentUserNoAddin) {
        ts::press(page, 1016);  // the add-in off, as a click does
        if (!ts::waitUntil([&] { return !ts::isChecked(page, 1016); }, 5000)) return "the add-in stayed on";
        // "Install for all users" is shown disabled; the current-user road is
        // reached by setting the box the way the page would read it.
        EXPECT_FALSE(ts::isEnabled(page, 1017));
        SendMessageA(GetDlgItem(page, 1017), BM_SETCHECK, BST_UNCHECKED, 0);
    }
    if (!(page = setup.advance(page, 1001, WizardPage::Summary))) return "no Summary page";
    const std::string summary = ts::controlText(page, 1008);
    EXPECT_NE(std::string::npos, summary.find(installDir)) << summary;
    EXPECT_EQ(!currentUserNoAddin, summary.find("Addin setting:") != std::string::npos) << summary;
    EXPECT_EQ(currentUserNoAddin, summary.find("Install for current user") != std::string::npos) << summary;
    ts::press(page, 1012);
    if (!(page = wizard::waitFinishAfterInstall(setup))) {
        ts::MessageBoxInfo report = ts::findMessageBox(product::kSetupBoxCaption, 1000);
        return "the run did not reach the Finish page" + (report.window ? ": " + report.text : std::string());
    }
    ts::press(page, 1005);
    return setup.waitExit(20000) == 0 ? "" : "setup did not end";
}

TEST_F(Acceptance, CustomRoadAnotherFolderNoAddinCurrentUser) {
    std::string installDir = ts::makeTempDir("custom") + "\\My Tools\\Pdf";
    ms::Snapshot before = ms::capture({installDir});
    ASSERT_EQ("", installThroughCustomRoad(folder, "setup.exe", installDir, true));
    expectInstalled(installDir, false, false);
    ASSERT_EQ("", uninstallFromShortcut(false));
    EXPECT_TRUE(askedForRights()) << "the records are machine-wide whatever the Start-menu choice";
    expectAsBefore(before, installDir, "after the uninstall");
}

// setup.exe or the installed uninstall.exe with /S, a log and arguments, to
// the end of the uninstaller's copy, with no window of any: the log.
std::string runUnattended(const std::string& exe, const std::string& arguments, int exitCode) {
    const std::string log = ts::makeTempDir("logs") + "\\unattended.log";
    const bool uninstaller = exe.find("uninstall.exe") != std::string::npos;
    int code = ts::runWithoutWindows(exe, "/S \"/LOG=" + log + "\" " + arguments, 180000,
                                     [] { return uninstall_support::tempCopies().empty(); });
    EXPECT_EQ(uninstaller ? 3 : exitCode, code) << "the uninstaller's first stage hands over";
    std::string text = ts::readFile(log);
    EXPECT_NE(std::string::npos, text.find("  Exit code " + std::to_string(exitCode) + ": ")) << text;
    return text;
}

// Unattended, both programs show nothing and leave the machine as the
// wizard's Default road and the confirmed removal do; each switch changes
// only what it names. Its log has the wizard's steps (kAllSteps).
TEST_F(Acceptance, UnattendedInstallAndRemovalLeaveTheMachineAsItWas) {
    const std::string custom = ts::makeTempDir("silent") + "\\Pdf Tools";
    struct Road {
        std::string arguments, installDir;
        bool addin, shortcut, ourDefault;
    };
    const Road roads[] = {{"", defaultInstallDir(), true, true, true},
                          {"\"/D=" + custom + "\" /NOADDIN /NOSHORTCUT /KEEPDEFAULT", custom, false, false, false}};
    for (const Road& road : roads) {
        SCOPED_TRACE(road.arguments);
        // What /KEEPDEFAULT gives the default back to.
        std::unique_ptr<spooler_support::OtherPrinter> previous;
        if (!road.ourDefault) {
            previous.reset(new spooler_support::OtherPrinter(folder, "Previous Printer"));
            ASSERT_TRUE(previous->ready() && spooler_support::makeDefault("Previous Printer"));
        }
        ms::Snapshot before = ms::capture({road.installDir});
        std::string log = runUnattended(folder + "\\setup.exe", road.arguments, 0);
        expectInstalled(road.installDir, true, road.addin, road.shortcut, road.ourDefault);
        if (road.addin) EXPECT_EQ(kAllSteps, stepLines(log));
        if (previous) {
            EXPECT_NE(std::string::npos, log.find("Default printer \"Previous Printer\": done")) << log;
        }

        log = runUnattended(road.installDir + "\\uninstall.exe", "", 0);
        EXPECT_TRUE(askedForRights());
        ms::Snapshot after = ms::capture({road.installDir});
        // The previous printer's driver is registered from the product's
        // own files, whose names the removal deletes: its driver files do not
        // count here (the first road, without it, checks the product's).
        if (previous)
            for (ms::Snapshot* s : {&before, &after})
                for (auto line = s->begin(); line != s->end();)
                    line = line->compare(0, 12, "driver file ") == 0 ? s->erase(line) : std::next(line);
        EXPECT_EQ("  (nothing)\n", ms::describe(unexpectedLeftovers(before, after))) << log;
        EXPECT_EQ("  (nothing)\n", ms::describe(ms::minus(before, after))) << "removed although it was there before";
        EXPECT_FALSE(ts::folderExists(road.installDir));
    }
}

// A step that fails unattended ends with its code, and the log has the
// report; a Word add-in held open is tried again a few times first.
TEST_F(Acceptance, UnattendedFailuresEndWithTheirCodeAndTheReport) {
    const std::string installDir = ts::makeTempDir("held") + "\\Pdf";
    ms::Snapshot before = ms::capture({installDir});
    const std::string missing = ts::makeTempDir("missing");
    ts::stageDist(missing, {"kpd_drv.dll"});
    std::string log = runUnattended(missing + "\\setup.exe", "\"/D=" + installDir + "\"", 4);
    EXPECT_NE(std::string::npos, log.find("Checking the product files: failed: ")) << log;
    EXPECT_NE(std::string::npos, log.find("Error tag = CopyFile_1(2):")) << log;
    EXPECT_EQ("  (nothing)\n", ms::describe(unexpectedLeftovers(before, ms::capture({installDir}))))
        << "the check comes before any change";
    ts::removeTree(missing);

    CreateDirectoryA(installDir.substr(0, installDir.rfind('\\')).c_str(), nullptr);
    CreateDirectoryA(installDir.c_str(), nullptr);
    HANDLE held = CreateFileA((installDir + "\\ops_wordaddin.dll").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    log = runUnattended(folder + "\\setup.exe", "\"/D=" + installDir + "\"", 4);
    CloseHandle(held);
    auto times = [&](const std::string& part) {
        size_t n = 0;
        for (size_t at = log.find(part); at != std::string::npos; at = log.find(part, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(4u, times("Please close the Microsoft Word program")) << log;
    EXPECT_EQ(3u, times("Answer: try again")) << log;
    EXPECT_EQ(1u, times("Answer: give up")) << log;
    EXPECT_NE(std::string::npos, log.find("Word add-in: failed: ")) << log;
    runUnattended(installDir + "\\uninstall.exe", "", 0);
    EXPECT_TRUE(askedForRights());
    EXPECT_EQ("  (nothing)\n", ms::describe(unexpectedLeftovers(before, ms::capture({installDir}))));
}

// A path walked byte by byte is cut inside ソ or 表 and names another folder.
// This suite has a CTest entry of its own, under a Japanese locale.
class CodePage932 : public Acceptance {
protected:
    void SetUp() override {
        ASSERT_EQ(932u, GetACP()) << "this suite needs ANSI code page 932: run it with LC_ALL=ja_JP.UTF-8 "
                                     "(CTest entry acceptance_cp932) and the locale generated";
        Acceptance::SetUp();
    }
};

std::vector<std::string> filesAndFolders(const std::vector<std::string>& lines) {
    std::vector<std::string> paths;
    for (const std::string& line : lines)
        if (line.compare(0, 8, "install ") == 0) paths.push_back(line);
    return paths;
}

}  // namespace

TEST_F(CodePage932, FolderNamesEndingInATrailByteBackslashAreInstalledAndRemovedWhole) {
    // Setup renamed as a download may be: its own folder is found by the
    // last backslash of its path, not by a byte inside ソ.
    const std::string program = "Orlan PDF " CP932_SO CP932_FUTO ".exe";
    ASSERT_TRUE(MoveFileA((folder + "\\setup.exe").c_str(), (folder + "\\" + program).c_str()));
    const std::string base = ts::makeTempDir("cp932");
    // Beside the install folder: what its name cut inside its last character
    // would name, and a name it begins.
    for (const char* neighbour : {"PDF" CP932_HYO, "PDF" CP932_HYO CP932_SO " 2"}) {
        CreateDirectoryA((base + "\\" + neighbour).c_str(), nullptr);
        ts::writeFile(base + "\\" + neighbour + "\\keep.txt", "not the product's");
    }
    struct Round {
        const char* folder;   // below base
        const char* created;  // a missing parent that setup creates and the uninstaller leaves
    };
    const Round rounds[] = {{"PDF" CP932_HYO CP932_SO, nullptr},
                            {CP932_SO CP932_FUTO "\\PDF" CP932_HYO CP932_SO, CP932_SO CP932_FUTO}};
    for (const Round& round : rounds) {
        const std::string installDir = base + "\\" + round.folder;
        SCOPED_TRACE(installDir);
        ms::Snapshot before = ms::capture({base});
        ASSERT_EQ("", installThroughCustomRoad(folder, program, installDir));
        expectInstalled(installDir, true, true);
        std::vector<std::string> made = {"install folder " + installDir,
                                         "install file " + installDir + "\\ops_wordaddin.dll",
                                         "install file " + installDir + "\\uninstall.exe"};
        if (round.created) made.push_back("install folder " + base + "\\" + round.created);
        std::sort(made.begin(), made.end());
        EXPECT_EQ(ms::describe(made), ms::describe(filesAndFolders(ms::minus(ms::capture({base}), before))));

        ASSERT_EQ("", uninstallFromShortcut(true));
        ms::Snapshot after = ms::capture({base});
        std::vector<std::string> left;
        if (round.created) left.push_back("install folder " + base + "\\" + round.created);
        EXPECT_EQ(ms::describe(left), ms::describe(unexpectedLeftovers(before, after))) << "left after the uninstall";
        EXPECT_EQ("  (nothing)\n", ms::describe(ms::minus(before, after))) << "neighbours touched";
    }
    ts::removeTree(base);
}
