// The real uninstaller from a staged dist/: its two stages, the confirmation,
// the progress dialog, the removal and what it leaves, the refusals.
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <set>
#include <thread>
#include "tests/support/install_support.h"
#include "tests/support/product_road.h"
#include "tests/support/spooler_support.h"
#include "tests/support/support.h"
#include "tests/support/uninstall_support.h"
#include "tests/support/wizard_support.h"

namespace ts = testing_support;
namespace us = uninstall_support;
namespace sp = spooler_support;

namespace {

const char kBoxCaption[] = "Orlan PDF Scribe";
const char kUninstallBoxCaption[] = "Orlan PDF Scribe Uninstall";
const char kDialogCaption[] = "Orlan PDF Scribe Uninstall Wizard";
const char kConfirm[] = "Are you sure you want to uninstall Orlan PDF Scribe?";
const char kProductKey[] = "Software\\Orlan Software\\PDF Scribe";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orlan Scribe";

class UninstallRun : public ::testing::Test {
protected:
    void SetUp() override {
        us::clearProduct("");
        folder = ts::makeTempDir("Orlan PDF Scribe ");
        logPath = us::tempFolder() + "\\uninstall run.log";
        DeleteFileA(logPath.c_str());
    }
    void TearDown() override {
        standIn.reset();
        // A box or dialog left by a failed test must not hold the next one.
        for (const char* caption : {kBoxCaption, kUninstallBoxCaption}) {
            HWND box = FindWindowA("#32770", caption);
            if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        if (copy.pid) {
            HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, copy.pid);
            if (p) {
                TerminateProcess(p, 99);
                CloseHandle(p);
            }
        }
        us::clearProduct(folder);
        DeleteFileA(logPath.c_str());
        if (!copy.path.empty()) {
            SetFileAttributesA(copy.path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(copy.path.c_str());
            RemoveDirectoryA(copy.folder.c_str());
        }
    }

    // Starts uninstall.exe from the install folder with line as its command
    // line, verbatim, as Windows hands it over (the quoted path when empty):
    // the first stage ends with 3 and the copy it made in a new folder of the
    // temp folder runs on, with passedOn after its quoted path (and the log's
    // handle number after a passedOn that ends with "/LOGHANDLE=").
    void startFromInstallFolder(const std::string& line = "", const std::string& passedOn = "") {
        std::vector<std::string> before = us::tempCopies();
        ts::Process first;
        ASSERT_TRUE(first.start(folder + "\\uninstall.exe", line));
        DWORD firstPid = first.id();
        EXPECT_TRUE(wizard::endsWithoutAWindow(first, 15000)) << "the first stage showed a window";
        EXPECT_EQ(3, first.wait(15000));
        std::vector<std::string> added;
        ASSERT_TRUE(ts::waitUntil([&] { return !(added = us::newFiles(before, us::tempCopies())).empty(); }, 5000));
        ASSERT_EQ(1u, added.size());
        copy.folder = added[0];
        copy.path = us::copyIn(copy.folder);
        std::string name = copy.path.substr(copy.path.rfind('\\') + 1);
        ASSERT_TRUE(ts::waitUntil([&] { return (copy.pid = us::findProcess(name)) != 0; }, 10000, 5));
        EXPECT_NE(firstPid, copy.pid);
        const std::string expected = "\"" + copy.path + "\"" + passedOn, given = us::commandLineOf(copy.pid);
        EXPECT_EQ(expected, given.substr(0, expected.size()));
        const std::string number = given.substr(std::min(expected.size(), given.size()));
        EXPECT_EQ(!passedOn.empty() && passedOn.back() == '=', !number.empty()) << given;
        EXPECT_EQ(std::string::npos, number.find_first_not_of("0123456789")) << given;
    }

    // The log holds each part, in this order.
    void expectLog(const std::vector<std::string>& parts) {
        const std::string log = ts::readFile(logPath);
        size_t at = 0;
        for (const std::string& part : parts) {
            size_t found = log.find(part, at);
            EXPECT_NE(std::string::npos, found) << "not in the log (in this order): " << part << "\n" << log;
            if (found != std::string::npos) at = found + part.size();
        }
    }

    // The confirmation comes from the copy with its text and Yes/No.
    void answerConfirmation(int button) {
        ts::MessageBoxInfo box = ts::findMessageBox(kBoxCaption, 15000);
        ASSERT_TRUE(box.window);
        EXPECT_EQ(kConfirm, box.text);
        EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
        EXPECT_EQ(copy.pid, us::windowProcess(box.window));
        ts::answerMessageBox(kBoxCaption, button);
    }

    // Yes on the confirmation, the success message, exit code 1.
    void confirmAndSucceed() {
        answerConfirmation(IDYES);
        ts::MessageBoxInfo box = ts::findMessageBox(kBoxCaption, 30000);
        EXPECT_EQ("You have successfully removed Orlan PDF Scribe.", box.text);
        ts::answerMessageBox(kBoxCaption, IDOK);
        EXPECT_EQ(1, copyExit());
    }

    // The account database as the stand-in NetApi32 gives it to every
    // program started from here: "2" says administrator, as Windows does for
    // one (Wine says guest for every user), "1" a plain user.
    bool accountSays(const char* privilege) {
        DeleteFileA(askedMark().c_str());
        standIn.reset(new us::NetApiStandIn(ORLAN_NETAPI_STUB, privilege, askedMark()));
        return standIn->ready();
    }
    static std::string askedMark() { return us::tempFolder() + "\\netapi_called.mark"; }

    // The copy's exit code, once it has ended; -1 when it did not.
    int copyExit() {
        const int code = us::waitExit(copy.pid, 15000);
        if (code != -1) copy.pid = 0;
        return code;
    }

    // The copy goes, and its folder with it.
    void expectCopyDeleted() {
        EXPECT_TRUE(ts::waitUntil([&] { return !ts::folderExists(copy.folder); }, 10000)) << copy.folder;
    }

    // A copy's folder in the temp folder holding uninstall.exe, as the first
    // stage makes them, without the first stage.
    void placeCopy(const char* name) {
        copy.folder = us::tempFolder() + "\\" + name;
        copy.path = us::copyIn(copy.folder);
        CreateDirectoryA(copy.folder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(ts::distFile("uninstall.exe").c_str(), copy.path.c_str(), FALSE));
    }

    std::string folder, logPath;
    struct {
        std::string folder, path;
        DWORD pid = 0;
    } copy;  // the temporary copy
    std::unique_ptr<us::NetApiStandIn> standIn;
};

bool productRecorded() { return ts::regKeyExists(HKEY_LOCAL_MACHINE, kProductKey); }

// TEMP and TMP name folder while the object lives, here and in every program
// started from here; then each is as it was, or unset again.
class TempFolderMoved {
public:
    explicit TempFolderMoved(const std::string& folder) {
        for (int i = 0; i < 2; ++i) {
            char value[MAX_PATH] = "";
            DWORD length = GetEnvironmentVariableA(kNames[i], value, MAX_PATH);
            saved_[i] = length && length < MAX_PATH ? value : "";
            SetEnvironmentVariableA(kNames[i], folder.c_str());
        }
    }
    ~TempFolderMoved() {
        for (int i = 0; i < 2; ++i) SetEnvironmentVariableA(kNames[i], saved_[i].empty() ? nullptr : saved_[i].c_str());
    }

private:
    static constexpr const char* kNames[2] = {"TEMP", "TMP"};
    std::string saved_[2];
};

}  // namespace

TEST_F(UninstallRun, FirstStageHandsOverToATempCopyNoRemovesNothingAndAReadOnlyCopyStillGoes) {
    ASSERT_TRUE(us::installProduct(folder, false));
    // No window of the first stage: the only box is the copy's.
    startFromInstallFolder();
    answerConfirmation(IDNO);
    EXPECT_EQ(2, copyExit());
    expectCopyDeleted();
    EXPECT_TRUE(productRecorded());
    EXPECT_TRUE(ts::regKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(ts::fileExists(folder + "\\uninstall.exe"));
    EXPECT_TRUE(ts::fileExists(us::startMenuFolder() + "\\Uninstall.lnk"));

    // Started straight from a copy's folder, read-only: no second copy, and
    // the file and its folder still go after No.
    placeCopy("OrlE5");
    ASSERT_TRUE(SetFileAttributesA(copy.path.c_str(), FILE_ATTRIBUTE_READONLY));
    std::vector<std::string> before = us::tempCopies();
    ts::Process direct;
    ASSERT_TRUE(direct.start(copy.path));
    copy.pid = direct.id();
    answerConfirmation(IDNO);
    EXPECT_EQ(2, copyExit());
    expectCopyDeleted();
    EXPECT_TRUE(us::newFiles(before, us::tempCopies()).empty()) << "a second copy was made";
}

// A copy killed during the removal (a power cut, a deployment tool's time
// limit) asked for its deletion, and its folder's, at the next restart as it
// started; the next run's first stage removes both.
TEST_F(UninstallRun, AKilledCopyGoesAtTheNextRestartOrWithTheNextRun) {
    ASSERT_TRUE(us::installProduct(folder, false));
    startFromInstallFolder();
    ASSERT_TRUE(ts::findMessageBox(kBoxCaption, 15000).window) << "the copy did not come to its question";
    std::string pending;
    EXPECT_TRUE(ts::regValue(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                             "PendingFileRenameOperations", &pending));
    const std::string nothing(2, '\0');  // no new name: deleted
    EXPECT_NE(std::string::npos, pending.find("\\??\\" + copy.path + nothing + "\\??\\" + copy.folder + nothing))
        << "the copy, then its folder";
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, copy.pid);
    ASSERT_TRUE(process);
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
    copy.pid = 0;
    const std::string killed = copy.folder;
    ASSERT_TRUE(ts::fileExists(copy.path));

    startFromInstallFolder();
    EXPECT_EQ(std::vector<std::string>{copy.folder}, us::tempCopies()) << "the killed copy " << killed << " stayed";
    answerConfirmation(IDNO);
    EXPECT_EQ(2, copyExit());
    expectCopyDeleted();
}

// With no copy there is no removal, and the user learns why and where: a box
// naming the temp folder, or unattended the log and exit code 5.
TEST_F(UninstallRun, NoCopyIsToldWithTheTempFolder) {
    ASSERT_TRUE(us::installProduct(folder, false));
    const std::string parent = ts::makeTempDir("gone"), missing = parent + "\\no such folder";
    TempFolderMoved moved(missing);
    const std::string told = "the uninstaller could not make or start its temporary copy in the folder \"" + missing;
    ts::Process wizard;
    ASSERT_TRUE(wizard.start(folder + "\\uninstall.exe"));
    ts::MessageBoxInfo box = ts::answerMessageBox(kUninstallBoxCaption, IDOK, 15000);
    EXPECT_NE(std::string::npos, box.text.find(told)) << box.text;
    EXPECT_EQ(3, wizard.wait(15000));
    EXPECT_EQ(5, ts::runWithoutWindows(folder + "\\uninstall.exe", "/S \"/LOG=" + logPath + "\""));
    expectLog({"Message: Orlan PDF Scribe was not removed: " + told, "Error tag = CreateDirectory(3)",
               "Exit code 5: the temporary copy could not be made or started"});
    EXPECT_TRUE(productRecorded());
    ts::removeTree(parent);
}

// Add/Remove Programs runs the UninstallString as the command line, as it
// stands: unquoted, as earlier releases wrote it, its folder's blanks reach
// the program; quoted, as setup writes it now, they do not.
TEST_F(UninstallRun, TheUninstallStringQuotedOrNotStartsTheRemoval) {
    ASSERT_TRUE(accountSays("2"));
    for (bool quoted : {false, true}) {
        SCOPED_TRACE(quoted ? "quoted" : "unquoted");
        ASSERT_TRUE(us::installProduct(folder, false));
        std::string value;
        ASSERT_TRUE(ts::regValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", &value));
        const std::string line = quoted ? value.c_str() : folder + "\\uninstall.exe";
        ASSERT_NE(std::string::npos, line.find(' ')) << "the folder needs a blank";
        startFromInstallFolder(line);
        confirmAndSucceed();
        expectCopyDeleted();
        EXPECT_FALSE(productRecorded());
        EXPECT_FALSE(ts::folderExists(folder));
    }
}

TEST_F(UninstallRun, YesShowsTheBarMovingToTheSuccessMessageAndRemovesTheProduct) {
    // Installed by the real setup: a printer added from this process would
    // keep the driver's modules loaded here, and them undeletable.
    ts::removeTree(folder);
    folder = product_road::defaultInstallDir();
    std::string staged = wizard::stagedSetupFolder("uninstall-yes");
    std::string failure;
    ASSERT_EQ(0, wizard::runDefaultRoad(staged, &failure)) << failure;
    ts::removeTree(staged);
    ASSERT_TRUE(accountSays("2"));
    startFromInstallFolder();
    answerConfirmation(IDYES);

    // Watch the bar until the success message comes.
    HWND dialog = ts::findWindow("#32770", kDialogCaption, 15000);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(copy.pid, us::windowProcess(dialog));
    // The picture waits for the bar's first move: taken before the watch,
    // under load it could last as long as the whole run.
    std::vector<int> seen;
    bool pictured = false;
    HWND success = nullptr;
    ts::waitUntil(
        [&] {
            HWND bar = GetDlgItem(dialog, 1002);
            if (bar && IsWindow(bar)) {
                int pos = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
                // A bar destroyed between the two calls answers 0.
                if (IsWindow(bar) && (seen.empty() || seen.back() != pos)) {
                    if (pos > 0 && !pictured) {
                        ts::screenshot(ts::outputDir("shots") + "\\uninstall_progress_screen.bmp");
                        pictured = true;
                    }
                    seen.push_back(pos);
                }
            }
            success = FindWindowA("#32770", kBoxCaption);
            return success != nullptr;
        },
        30000, 5);
    ASSERT_TRUE(success);
    const std::set<int> allowed = {0, 30, 40, 50, 60, 70, 100};
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_TRUE(allowed.count(seen[i])) << seen[i];
        if (i) {
            EXPECT_GT(seen[i], seen[i - 1]);
        }
    }
    EXPECT_GT(seen.empty() ? 0 : seen.back(), 0) << "the bar never moved";
    ts::MessageBoxInfo box = ts::findMessageBox(kBoxCaption);
    EXPECT_EQ("You have successfully removed Orlan PDF Scribe.", box.text);
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    EXPECT_FALSE(IsWindow(dialog) && IsWindowVisible(dialog)) << "the dialog ends before the message";
    ts::answerMessageBox(kBoxCaption, IDOK);
    EXPECT_EQ(1, copyExit());
    expectCopyDeleted();
    // What goes and what stays, the acceptance tests compare machine-wide.
    EXPECT_FALSE(ts::folderExists(folder));
}

// Recorded for the machine only and the account database says plain user:
// refused, nothing removed. While the refusal is shown, a second start
// brings the running dialog forward and ends without a copy of its own.
TEST_F(UninstallRun, MachineRecordAndPlainUserIsRefusedAndASecondStartBringsTheDialogForward) {
    ASSERT_TRUE(us::installProduct(folder, false));
    ASSERT_TRUE(accountSays("1"));
    startFromInstallFolder();
    answerConfirmation(IDYES);
    ts::MessageBoxInfo box = ts::findMessageBox(kUninstallBoxCaption, 15000);
    ASSERT_TRUE(box.window);
    EXPECT_EQ("You must have administrator priviledges for uninstalling Orlan PDF Scribe. Uninstall will be aborted.",
              box.text);
    HWND dialog = FindWindowA("#32770", kDialogCaption);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), dialog);
    EXPECT_TRUE(ts::fileExists(askedMark())) << "the account record was not asked for";

    HWND other = ts::frontWindowOfOurs();
    ASSERT_TRUE(other) << "a window of the test's could not be put in front";
    std::vector<std::string> copies = us::tempCopies();
    ts::Process second;
    ASSERT_TRUE(second.start(folder + "\\uninstall.exe"));
    EXPECT_EQ(0, second.wait(15000));
    EXPECT_TRUE(ts::waitUntil(
        [&] {
            HWND front = GetForegroundWindow();
            return front == dialog || front == box.window;
        },
        5000))
        << "the running dialog was not brought forward";
    EXPECT_TRUE(us::newFiles(copies, us::tempCopies()).empty()) << "the second start made a copy";
    DestroyWindow(other);

    ts::answerMessageBox(kUninstallBoxCaption, IDOK);
    EXPECT_EQ(0, copyExit());
    EXPECT_TRUE(productRecorded());
    EXPECT_TRUE(ts::fileExists(folder + "\\uninstall.exe"));
}

// Recorded for the user only, as an older setup left it.
TEST_F(UninstallRun, UserRecordNeedsNoAdministratorTest) {
    ASSERT_TRUE(us::installProduct(folder, true));
    ts::regDeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
    us::recordForUser(folder);
    ASSERT_TRUE(accountSays("1"));
    startFromInstallFolder();
    confirmAndSucceed();
    EXPECT_FALSE(ts::fileExists(askedMark())) << "the account record was asked for";
    EXPECT_FALSE(ts::regKeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_FALSE(productRecorded());
}

// A run among what others left succeeds and removes only the product. A
// foreign file keeps the folder. Any program the user runs can write the
// user's record: the folder it names must not be where the elevated
// uninstaller loads the add-in from and deletes the product's file names,
// while the machine records the product. A temp folder with what cmd takes
// for a command separator ("&"), an escape ("^"), a variable ("%OS%") and a
// block ("()"), as an 8.3 name that is its own short form: put on cmd's
// command line, "&m&" would start the m.exe planted there; "del" would be
// cut short and the copy stay.
TEST_F(UninstallRun, ForeignFilesAPlantedUserRecordAndATempFolderThatCmdWouldSplitAreLeftAlone) {
    ASSERT_TRUE(us::installProduct(folder, true));
    ASSERT_TRUE(accountSays("2"));
    ts::writeFile(folder + "\\My notes.txt", "mine");
    std::string planted = ts::makeTempDir("planted");
    ASSERT_TRUE(CopyFileA(ts::plantFile("msimg32.dll").c_str(), (planted + "\\OPS_WordAddin.dll").c_str(), FALSE));
    ts::writeFile(planted + "\\Uninstall.exe", "theirs");
    us::recordForUser(planted);
    const std::string parent = ts::makeTempDir("cmd"), temp = parent + "\\R%OS%&m&.^()";
    ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(ts::plantFile("marker.exe").c_str(), (temp + "\\m.exe").c_str(), FALSE));
    ts::PlantMarks marks;
    {
        TempFolderMoved moved(temp);
        ASSERT_EQ(temp, us::tempFolder());
        startFromInstallFolder();
        confirmAndSucceed();
        expectCopyDeleted();
    }
    EXPECT_EQ(0u, copy.path.find(temp + "\\")) << copy.path;
    EXPECT_EQ(std::vector<std::string>{}, marks.left()) << "a planted add-in was loaded or program started";
    EXPECT_TRUE(ts::fileExists(folder + "\\My notes.txt"));
    EXPECT_FALSE(ts::fileExists(folder + "\\uninstall.exe")) << "the recorded installation stayed";
    EXPECT_FALSE(ts::fileExists(folder + "\\ops_wordaddin.dll"));
    EXPECT_TRUE(ts::fileExists(planted + "\\OPS_WordAddin.dll"));
    EXPECT_TRUE(ts::fileExists(planted + "\\Uninstall.exe"));
    EXPECT_FALSE(productRecorded());
    EXPECT_FALSE(ts::regKeyExists(HKEY_CURRENT_USER, kProductKey));
    ts::removeTree(planted);
    ts::removeTree(parent);
}

// Planted under the names the copy's folder may take, one after the other:
// a folder with a program under the copy's name, held open as a running copy
// would be, and a file. None is written over, removed or started, and the run
// goes through with a folder of its own.
TEST_F(UninstallRun, PlantedCopyNamesAreNeitherWrittenNorStarted) {
    ASSERT_TRUE(us::installProduct(folder, false));
    ASSERT_TRUE(accountSays("2"));
    ts::PlantMarks marks;
    const std::string marker = ts::readFile(ts::plantFile("marker.exe"));
    // The copy's name counts from the clock. The first stage waits a moment
    // for an uninstaller mutex it finds held; let go at a known tick, it
    // takes its name just after it, where the plants lie.
    const DWORD release = GetTickCount() + 3000;
    std::vector<std::string> planted, plantedFiles;
    std::vector<HANDLE> held;
    for (DWORD i = 0; i < 256; ++i) {
        const UINT number = (release + i) & 0xFFFF;
        if (number == 0) continue;
        char name[16];
        snprintf(name, sizeof name, "Orl%X", number);
        const std::string path = us::tempFolder() + "\\" + name;
        if (planted.size() & 1) {
            ts::writeFile(path, marker);
            plantedFiles.push_back(path);
        } else {
            ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
            ASSERT_TRUE(CopyFileA(ts::plantFile("marker.exe").c_str(), us::copyIn(path).c_str(), FALSE));
            held.push_back(CreateFileA(us::copyIn(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       0, nullptr));
            plantedFiles.push_back(us::copyIn(path));
        }
        planted.push_back(path);
    }
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HANDLE mutex = CreateMutexA(nullptr, TRUE, "OPS_UNINSTALL_MUTEX");
        SetEvent(ready);
        while (static_cast<LONG>(GetTickCount() - release) < 0) Sleep(1);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
    while (static_cast<LONG>(GetTickCount() - (release - 1000)) < 0) Sleep(10);
    startFromInstallFolder();
    holder.join();
    auto expectPlantsKept = [&] {
        for (const std::string& file : plantedFiles)
            EXPECT_TRUE(ts::readFile(file) == marker) << file << " was written over or removed";
    };
    expectPlantsKept();
    EXPECT_TRUE(std::find(planted.begin(), planted.end(), copy.folder) == planted.end()) << copy.folder;
    if (HasFatalFailure()) return;
    confirmAndSucceed();
    expectCopyDeleted();
    EXPECT_FALSE(productRecorded());
    EXPECT_EQ(std::vector<std::string>{}, marks.left()) << "a planted program was started";
    expectPlantsKept();
    for (HANDLE file : held) CloseHandle(file);
    for (const std::string& file : plantedFiles) DeleteFileA(file.c_str());
    for (const std::string& path : planted) RemoveDirectoryA(path.c_str());
}

// The driver cannot be deleted (Wine's spooler keeps it while its key
// cannot be read) and the user cancels: the run stops, the user learns
// why, nothing after the printer step is removed, and the exit code is 1.
TEST_F(UninstallRun, StoppedRunShowsItsReportAndEndsWithOne) {
    ASSERT_TRUE(us::installProduct(folder, true));
    ASSERT_TRUE(accountSays("2"));
    install_support::KeyRefusingValues driverKey(HKEY_LOCAL_MACHINE,
                                                 sp::wineDriverKey("Orlan PDF Printer Driver").c_str(), KEY_READ);
    ASSERT_TRUE(driverKey.ready());
    startFromInstallFolder();
    answerConfirmation(IDYES);
    ts::MessageBoxInfo prompt = ts::answerMessageBox(kBoxCaption, IDCANCEL, 30000);
    EXPECT_EQ("Can't delete Orlan PDF Driver. \nPlease close all the programs that may be using the printer and "
              "try again, \nor click 'CANCEL' to quit.",
              prompt.text);
    ts::MessageBoxInfo report = ts::answerMessageBox(kUninstallBoxCaption, IDOK, 15000);
    EXPECT_NE(std::string::npos, report.text.find("Error tag = Orlan PDF Driver can't be deleted(")) << report.text;
    EXPECT_EQ(1, copyExit());
    EXPECT_TRUE(sp::printerFacts("Orlan PDF Printer").exists) << "the printer is put back";
    EXPECT_TRUE(productRecorded());
    EXPECT_TRUE(ts::fileExists(folder + "\\uninstall.exe"));
}

TEST_F(UninstallRun, NoRecordAnywhereSaysSo) {
    ts::stageDist(folder);
    startFromInstallFolder();
    answerConfirmation(IDYES);
    ts::MessageBoxInfo box = ts::findMessageBox(kBoxCaption, 15000);
    EXPECT_EQ("Can't find Uninstall information.", box.text);
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    ts::answerMessageBox(kBoxCaption, IDOK);
    EXPECT_EQ(0, copyExit());
    expectCopyDeleted();
    EXPECT_TRUE(ts::fileExists(folder + "\\uninstall.exe"));
}

// /S after an install, started by its unquoted path with blanks: everything
// goes, no window of either stage comes up, the copy gets /S and the log's
// handle, and both stages write the log.
TEST_F(UninstallRun, SilentRemovalShowsNoWindowAndLogsEveryStep) {
    ASSERT_TRUE(us::installProduct(folder, true));
    us::NetApiStandIn administrator(ORLAN_NETAPI_STUB, "2");
    ASSERT_TRUE(administrator.ready());
    ts::WindowWatcher watcher(ts::isProductProgram);
    startFromInstallFolder(folder + "\\uninstall.exe /S /LOG=\"" + logPath + "\"", " /S /LOGHANDLE=");
    EXPECT_EQ(0, us::waitExit(copy.pid, 30000));
    copy.pid = 0;
    expectCopyDeleted();
    EXPECT_EQ(std::vector<std::string>{}, watcher.finish());
    EXPECT_GE(watcher.processesSeen(), 2u) << "both stages are watched";
    EXPECT_FALSE(ts::folderExists(folder)) << "the acceptance tests check the rest";
    expectLog({"started as \"" + folder + "\\uninstall.exe\", command line: /S /LOG=\"" + logPath + "\"",
               "Starting the temporary copy: \"" + copy.path + "\" /S /LOGHANDLE=",
               "Exit code 3: handed over to the temporary copy",
               "temporary copy \"" + copy.path + "\", command line: /S /LOGHANDLE=",
               "Asking for the temporary copy's deletion at the next restart: done",
               "Asked: Are you sure you want to uninstall Orlan PDF Scribe? Answer: Yes",
               "Looking up the printer driver folder: done", "Removing the printers and the driver: done",
               "Removing the registry records: done", "Removing the Word add-in: done", "Removing the shortcuts: done",
               "Removing the product files: done", "Removing the install folder \"" + folder + "\": done",
               "Message: You have successfully removed Orlan PDF Scribe.", "Exit code 0: success"});
}

// Each bad line ends with its code: with /S in the log only, without it
// after the usage box. /? shows the usage and ends with 0.
TEST_F(UninstallRun, BadCommandLinesEndWithTheirCodeAndTheUsage) {
    const std::string log = "\"/LOG=" + logPath + "\"";
    const struct {
        std::string line;
        const char* problem;  // null: the usage alone
        int code;
    } rows[] = {
        {"/X " + log, "Unknown switch: /X", 4},
        {log + " \"/X", "The command line has a quote that is not closed", 4},
        {"/LOG=run.log " + log, "/LOG=run.log needs the full path", 4},
        {log + " /LOG=C:\\other.log", "/LOG=C:\\other.log is given twice", 4},
        {"/LOG=\\\\.\\pipe\\orlan " + log, "/LOG=\\\\.\\pipe\\orlan needs the full path of a file on a disk", 4},
        {"/? " + log, nullptr, 0},
    };
    const std::string program = ts::distFile("uninstall.exe");
    for (const auto& row : rows) {
        for (bool silent : {true, false}) {
            SCOPED_TRACE(row.line + (silent ? " with /S" : ""));
            DeleteFileA(logPath.c_str());
            if (silent) {
                EXPECT_EQ(row.code, ts::runWithoutWindows(program, "/S " + row.line));
            } else {
                ts::Process run;
                ASSERT_TRUE(run.start(program, "\"" + program + "\" " + row.line));
                ts::MessageBoxInfo box = ts::answerMessageBox(kUninstallBoxCaption, IDOK, 15000);
                EXPECT_NE(std::string::npos, box.text.find(row.problem ? row.problem : "Usage: uninstall.exe"))
                    << box.text;
                EXPECT_NE(std::string::npos, box.text.find("/LOG=file")) << box.text;
                EXPECT_EQ(row.code, run.wait(15000));
            }
            expectLog({row.problem ? std::string("Bad command line: ") + row.problem : "Message: Usage: uninstall.exe",
                       "Exit code " + std::to_string(row.code)});
        }
    }
    EXPECT_TRUE(us::tempCopies().empty()) << "a bad line went on to the copy";
}

// Unattended refusals, each with its code and its reason in the log.
TEST_F(UninstallRun, SilentRunRefusedEndsWithItsCode) {
    // Nothing recorded: the copy, started straight from its folder, says so.
    placeCopy("OrlE6");
    EXPECT_EQ(7, ts::runWithoutWindows(copy.path, "/S \"/LOG=" + logPath + "\""));
    expectCopyDeleted();
    expectLog({"temporary copy", "Message: Can't find Uninstall information.", "Exit code 7: no installation found"});

    // Another uninstaller holds the mutex.
    ASSERT_TRUE(us::installProduct(folder, false));
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "OPS_UNINSTALL_MUTEX");
    ASSERT_TRUE(mutex);
    EXPECT_EQ(6, ts::runWithoutWindows(folder + "\\uninstall.exe", "/S \"/LOG=" + logPath + "\""));
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    expectLog({"started as", "Another copy of the uninstaller is running.",
               "Exit code 6: another copy of the uninstaller is running"});
    EXPECT_TRUE(productRecorded());

    // Recorded for the machine and the account database says plain user.
    us::NetApiStandIn plainUser(ORLAN_NETAPI_STUB, "1");
    ASSERT_TRUE(plainUser.ready());
    placeCopy("OrlE6");
    EXPECT_EQ(8, ts::runWithoutWindows(copy.path, "/S \"/LOG=" + logPath + "\""));
    expectLog({"Message: You must have administrator priviledges", "Exit code 8: refused: no administrator rights"});
    EXPECT_TRUE(productRecorded());

    // Recorded for the user only, in a folder that others can change: the
    // add-in there is not loaded, and the run stops as a failed step before
    // anything is removed.
    ts::regDeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
    us::recordForUser(folder);
    ASSERT_TRUE(CopyFileA(ts::plantFile("msimg32.dll").c_str(), (folder + "\\ops_wordaddin.dll").c_str(), FALSE));
    ASSERT_TRUE(install_support::letEveryoneWrite(folder));
    ts::PlantMarks marks;
    EXPECT_EQ(9, ts::runWithoutWindows(copy.path, "/S \"/LOG=" + logPath + "\""));
    expectLog({"Installed for the user in \"" + folder + "\"",
               "Checking the install folder: failed: Users who are not administrators can change the folder " + folder +
                   ". Nothing was removed",
               "Exit code 9: a removal step failed"});
    EXPECT_EQ(std::string::npos, ts::readFile(logPath).find("Removing")) << "a removal step ran";
    EXPECT_EQ(std::vector<std::string>{}, marks.left()) << "the add-in was loaded";
    EXPECT_TRUE(ts::fileExists(folder + "\\ops_wordaddin.dll") && ts::fileExists(folder + "\\uninstall.exe"));
    EXPECT_TRUE(ts::regKeyExists(HKEY_CURRENT_USER, kProductKey) && ts::regKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(ts::fileExists(us::startMenuFolder() + "\\Uninstall.lnk"));
}
