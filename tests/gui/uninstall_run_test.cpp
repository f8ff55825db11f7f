// The real uninstaller from a staged dist/: its two stages, the confirmation,
// the progress dialog, the removal and what it leaves, the refusals.
#include <gtest/gtest.h>
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
        }
    }

    // Starts uninstall.exe from the install folder with line as its command
    // line, verbatim, as Windows hands it over (the quoted path when empty):
    // the first stage ends with 3 and the copy it made in the temp folder
    // runs on, with passedOn after its quoted path.
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
        copy.path = added[0];
        // "Orl*.exe", as tempCopies found it, with hexadecimal digits between.
        std::string name = copy.path.substr(copy.path.rfind('\\') + 1);
        std::string digits = name.substr(3, name.size() - 7);
        EXPECT_TRUE(!digits.empty() && digits.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos) << name;
        ASSERT_TRUE(ts::waitUntil([&] { return (copy.pid = us::findProcess(name)) != 0; }, 10000, 5));
        EXPECT_NE(firstPid, copy.pid);
        EXPECT_EQ("\"" + copy.path + "\"" + passedOn, us::commandLineOf(copy.pid));
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

    void expectCopyDeleted() {
        EXPECT_TRUE(ts::waitUntil([&] { return !ts::fileExists(copy.path); }, 10000)) << copy.path;
    }

    std::string folder, logPath;
    struct {
        std::string path;
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

    // Started straight from the temp folder, read-only: no second copy, and
    // the file still goes after No.
    copy.path = us::tempFolder() + "\\OrlTEST5.exe";
    ASSERT_TRUE(CopyFileA(ts::distFile("uninstall.exe").c_str(), copy.path.c_str(), FALSE));
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

// Programs planted under the names the copy may take, every other one
// read-only: none is written over or started, and the run goes through with
// a copy that is a file of its own.
TEST_F(UninstallRun, PlantedCopyNamesAreNeitherWrittenNorStarted) {
    ASSERT_TRUE(us::installProduct(folder, false));
    ASSERT_TRUE(accountSays("2"));
    ts::PlantMarks marks;
    const std::string marker = ts::readFile(ts::plantFile("marker.exe"));
    // The copy's name counts from the clock. The first stage waits a moment
    // for an uninstaller mutex it finds held; let go at a known tick, it
    // takes its name just after it, where the plants lie.
    const DWORD release = GetTickCount() + 3000;
    std::vector<std::string> planted;
    for (DWORD i = 0; i < 256; ++i) {
        const UINT number = (release + i) & 0xFFFF;
        if (number == 0) continue;  // the system would make a name, and a file, of its own
        char name[MAX_PATH];
        GetTempFileNameA(us::tempFolder().c_str(), "Orl", number, name);
        std::string path = name;
        path.replace(path.size() - 3, 3, "exe");
        ASSERT_TRUE(CopyFileA(ts::plantFile("marker.exe").c_str(), path.c_str(), FALSE)) << path;
        if (planted.size() & 1) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        planted.push_back(path);
    }
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HANDLE mutex = CreateMutexA(nullptr, TRUE, "OPS_UNINSTALL_MUTEX");
        SetEvent(held);
        while (static_cast<LONG>(GetTickCount() - release) < 0) Sleep(1);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    });
    WaitForSingleObject(held, 10000);
    CloseHandle(held);
    while (static_cast<LONG>(GetTickCount() - (release - 1000)) < 0) Sleep(10);
    startFromInstallFolder();
    holder.join();
    auto expectPlantsKept = [&] {
        for (size_t i = 0; i < planted.size(); ++i) {
            EXPECT_TRUE(ts::readFile(planted[i]) == marker) << planted[i] << " was written over";
            EXPECT_EQ((i & 1) != 0, (GetFileAttributesA(planted[i].c_str()) & FILE_ATTRIBUTE_READONLY) != 0)
                << planted[i];
        }
    };
    expectPlantsKept();
    if (HasFatalFailure()) return;
    confirmAndSucceed();
    expectCopyDeleted();
    EXPECT_FALSE(productRecorded());
    EXPECT_EQ(std::vector<std::string>{}, marks.left()) << "a planted program was started";
    expectPlantsKept();
    for (const std::string& path : planted) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
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
// goes, no window of either stage comes up, the copy gets /S and the quoted
// log, and both stages write the log.
TEST_F(UninstallRun, SilentRemovalShowsNoWindowAndLogsEveryStep) {
    ASSERT_TRUE(us::installProduct(folder, true));
    us::NetApiStandIn administrator(ORLAN_NETAPI_STUB, "2");
    ASSERT_TRUE(administrator.ready());
    ts::WindowWatcher watcher(ts::isProductProgram);
    startFromInstallFolder(folder + "\\uninstall.exe /S /LOG=\"" + logPath + "\"", " /S \"/LOG=" + logPath + "\"");
    EXPECT_EQ(0, us::waitExit(copy.pid, 30000));
    copy.pid = 0;
    expectCopyDeleted();
    EXPECT_EQ(std::vector<std::string>{}, watcher.finish());
    EXPECT_GE(watcher.processesSeen(), 2u) << "both stages are watched";
    EXPECT_FALSE(ts::folderExists(folder)) << "the acceptance tests check the rest";
    expectLog({"started as \"" + folder + "\\uninstall.exe\", command line: /S /LOG=\"" + logPath + "\"",
               "Starting the temporary copy: \"" + copy.path + "\" /S \"/LOG=" + logPath + "\"",
               "Exit code 3: handed over to the temporary copy", "temporary copy \"" + copy.path + "\"",
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
    // Nothing recorded: the copy, started straight from the temp folder, says so.
    copy.path = us::tempFolder() + "\\OrlTEST6.exe";
    ASSERT_TRUE(CopyFileA(ts::distFile("uninstall.exe").c_str(), copy.path.c_str(), FALSE));
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
    ASSERT_TRUE(CopyFileA(ts::distFile("uninstall.exe").c_str(), copy.path.c_str(), FALSE));
    EXPECT_EQ(8, ts::runWithoutWindows(copy.path, "/S \"/LOG=" + logPath + "\""));
    expectLog({"Message: You must have administrator priviledges", "Exit code 8: refused: no administrator rights"});
    EXPECT_TRUE(productRecorded());

    // Recorded for the user only, in a folder that others can change: the
    // add-in there is neither loaded nor deleted, the rest goes, and the run
    // ends as a failed step.
    ts::regDeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
    us::recordForUser(folder);
    ASSERT_TRUE(CopyFileA(ts::plantFile("msimg32.dll").c_str(), (folder + "\\ops_wordaddin.dll").c_str(), FALSE));
    ASSERT_TRUE(install_support::letEveryoneWrite(folder));
    ts::PlantMarks marks;
    EXPECT_EQ(9, ts::runWithoutWindows(copy.path, "/S \"/LOG=" + logPath + "\""));
    expectLog({"Installed for the user in \"" + folder + "\"",
               "Removing the Word add-in: failed: Users who are not administrators can change the folder " + folder,
               "Removing the product files: done", "Exit code 9: a removal step failed"});
    EXPECT_EQ(std::vector<std::string>{}, marks.left()) << "the add-in was loaded";
    EXPECT_TRUE(ts::fileExists(folder + "\\ops_wordaddin.dll") && ts::fileExists(folder + "\\uninstall.exe"));
    EXPECT_FALSE(ts::regKeyExists(HKEY_CURRENT_USER, kProductKey) || ts::regKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}
