// The product as its users meet it: the release folder as received, the
// real wizard on the default and the custom road, the machine checked
// against the road of one installation, the uninstaller started from the
// Start-menu shortcut's target, and the machine compared with its state
// before the install.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <algorithm>
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

// The road of one installation, checked on the machine.
void expectInstalled(const std::string& installDir, bool allUsers, bool addin) {
    ms::Snapshot s = ms::capture({installDir});
    EXPECT_TRUE(s.count(kPdfPort));
    EXPECT_TRUE(s.count("driver Orlan PDF Printer Driver"));
    EXPECT_TRUE(s.count("printer Orlan PDF Printer | Orlan PDF Printer Driver | ORLAN_PDF: | WinPrint | RAW"));
    EXPECT_TRUE(s.count("default printer Orlan PDF Printer"));
    EXPECT_TRUE(s.count("install file " + installDir + "\\uninstall.exe"));
    EXPECT_EQ(addin, s.count("install file " + installDir + "\\ops_wordaddin.dll") == 1);
    EXPECT_EQ(addin, ts::regKeyExists(HKEY_CLASSES_ROOT, "OrlanPdfScribe.WordAddin"));
    std::string value;
    EXPECT_TRUE(ts::regValue(HKEY_LOCAL_MACHINE, "Software\\Orlan Software\\PDF Scribe", "SetupPath", &value));
    EXPECT_EQ(installDir + "\\", value.c_str());
    const char* entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orlan Scribe";
    EXPECT_TRUE(ts::regValue(HKEY_LOCAL_MACHINE, entry, "UninstallString", &value));
    EXPECT_EQ(installDir + "\\uninstall.exe", value.c_str());
    // What Programs and Features and deployment tools read; they go with the
    // entry, which the snapshot after the removal shows.
    const std::string values = std::string("value HKLM\\") + entry + "\\";
    EXPECT_TRUE(s.count(values + "QuietUninstallString = \"" + installDir + "\\uninstall.exe\" /S"));
    EXPECT_TRUE(s.count(values + "NoModify = 1 (number)"));
    EXPECT_TRUE(s.count(values + "NoRepair = 1 (number)"));
    install_support::LinkContents link = install_support::readLink(shortcutPath(allUsers));
    EXPECT_TRUE(link.loaded);
    EXPECT_EQ(0, lstrcmpiA((installDir + "\\uninstall.exe").c_str(), link.target.c_str())) << link.target;
    EXPECT_EQ("Orlan PDF Scribe Uninstall", link.description);
    EXPECT_FALSE(ts::fileExists(shortcutPath(!allUsers)));
    for (const char* f : {"kpd_drv.dll", "kpd_ui.dll", "kpd_pnt.txt", "ORC_ProxyProcess.exe", "kpdcjk.bin"})
        EXPECT_TRUE(ts::fileExists(spooler_support::versionFile(f))) << f;
}

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
        ASSERT_EQ(0, wizard::runDefaultRoad(folder, &failure)) << failure;
        expectInstalled(installDir, true, true);

        ASSERT_EQ("", uninstallFromShortcut(true));
        EXPECT_TRUE(askedForRights());
        ms::Snapshot after = ms::capture({installDir});
        EXPECT_EQ("  (nothing)\n", ms::describe(unexpectedLeftovers(before, after))) << "left behind after the uninstall";
        EXPECT_EQ("  (nothing)\n", ms::describe(ms::minus(before, after))) << "removed although it was there before";
        EXPECT_TRUE(after.count(kPdfPort)) << "the port stays by design";
        EXPECT_FALSE(ts::folderExists(installDir));
    }
};

TEST_F(Acceptance, DefaultRoadInstallsTheProductAndTheShortcutRemovesIt) { defaultRoadInstallsAndRemoves(); }

// A payload copied from a CD or an unpacked archive may be read-only. No
// copy setup makes carries that over, so the uninstaller leaves nothing.
TEST_F(Acceptance, ReadOnlyPayloadIsInstalledAndRemovedWhole) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    int readOnly = 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            SetFileAttributesA((folder + "\\" + found.cFileName).c_str(), FILE_ATTRIBUTE_READONLY))
            ++readOnly;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    ASSERT_GE(readOnly, 8) << "setup, the uninstaller and the payload";
    defaultRoadInstallsAndRemoves();
}

TEST_F(Acceptance, CustomRoadAnotherFolderNoAddinCurrentUser) {
    std::string installDir = ts::makeTempDir("custom") + "\\My Tools\\Pdf";
    ms::Snapshot before = ms::capture({installDir});
    wizard::SetupRun setup(folder);
    std::string failure;
    HWND page = wizard::toDestination(setup, &failure);
    ASSERT_TRUE(page) << failure;
    SendMessageA(GetDlgItem(page, 1014), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(installDir.c_str()));
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Options));
    ts::press(page, 1016);  // the add-in off, as a click does
    ASSERT_TRUE(ts::waitUntil([&] { return !ts::isChecked(page, 1016); }, 5000));
    // "Install for all users" is shown disabled; the current-user road is
    // reached by setting the box the way the page would read it.
    EXPECT_FALSE(ts::isEnabled(page, 1017));
    SendMessageA(GetDlgItem(page, 1017), BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Summary));
    std::string summary = ts::controlText(page, 1008);
    EXPECT_NE(std::string::npos, summary.find(installDir));
    EXPECT_EQ(std::string::npos, summary.find("Addin setting:"));
    EXPECT_NE(std::string::npos, summary.find("Install for current user"));
    ts::press(page, 1012);
    page = wizard::waitFinishAfterInstall(setup);
    ASSERT_TRUE(page) << "the run did not reach the Finish page";
    ts::press(page, 1005);
    EXPECT_EQ(0, setup.waitExit(20000));
    expectInstalled(installDir, false, false);

    ASSERT_EQ("", uninstallFromShortcut(false));
    EXPECT_TRUE(askedForRights()) << "the records are machine-wide whatever the Start-menu choice";
    ms::Snapshot after = ms::capture({installDir});
    EXPECT_EQ("  (nothing)\n", ms::describe(unexpectedLeftovers(before, after))) << "left behind after the uninstall";
    EXPECT_FALSE(ts::folderExists(installDir));
}

TEST_F(Acceptance, FiveRoundsLeaveTheSameMachineAsOne) {
    std::string installDir = defaultInstallDir();
    ms::Snapshot afterFirst;
    for (int round = 1; round <= 5; ++round) {
        std::string failure;
        ASSERT_EQ(0, wizard::runDefaultRoad(folder, &failure)) << "round " << round << ": " << failure;
        ASSERT_EQ("", uninstallFromShortcut(true)) << "round " << round;
        ms::Snapshot now = ms::capture({installDir});
        if (round == 1) {
            afterFirst = now;
        } else {
            EXPECT_EQ("  (nothing)\n", ms::describe(ms::minus(now, afterFirst))) << "round " << round << " added";
            EXPECT_EQ("  (nothing)\n", ms::describe(ms::minus(afterFirst, now))) << "round " << round << " lost";
        }
    }
}

}  // namespace

namespace {

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

// The custom road into installDir, all options on; "" or where it stopped.
std::string installThroughCustomRoad(const std::string& folder, const std::string& program,
                                     const std::string& installDir) {
    wizard::SetupRun setup(folder, program);
    std::string failure;
    HWND page = wizard::toDestination(setup, &failure);
    if (!page) return failure;
    SendMessageA(GetDlgItem(page, 1014), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(installDir.c_str()));
    if (!(page = setup.advance(page, 1001, WizardPage::Options))) return "the folder was refused";
    if (!(page = setup.advance(page, 1001, WizardPage::Summary))) return "no Summary page";
    ts::press(page, 1012);
    if (!(page = wizard::waitFinishAfterInstall(setup))) {
        ts::MessageBoxInfo report = ts::findMessageBox(product::kSetupBoxCaption, 1000);
        return "the run did not reach the Finish page" + (report.window ? ": " + report.text : std::string());
    }
    ts::press(page, 1005);
    return setup.waitExit(20000) == 0 ? "" : "setup did not end";
}

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
