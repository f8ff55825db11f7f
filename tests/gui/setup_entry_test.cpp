// Setup's start as users meet it: the version check, a second copy
// handing over to the wizard that already runs, and the command line.
#include <gtest/gtest.h>
#include <algorithm>
#include "common/product.h"
#include "tests/support/install_support.h"
#include "tests/support/product_road.h"
#include "tests/support/support.h"
#include "tests/support/wizard_support.h"

namespace ts = testing_support;

namespace {
const char kWizard[] = "Orlan PDF Scribe Setup Wizard";

class SetupEntry : public ::testing::Test {
protected:
    void SetUp() override {
        folder = ts::makeTempDir("Setup entry ");
        ts::stageDist(folder);
        exe = folder + "\\setup.exe";
        ts::regValue(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir", &programFiles);
    }
    void TearDown() override {
        ts::regSetText(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir", programFiles.c_str());
        ts::setProgramVersion("setup.exe", "");
        ts::removeTree(folder);
    }
    std::string folder, exe, programFiles;

    // setup /S with arguments and a log: what it logged, after checking that
    // it ended with exitCode and never showed a window, not even a hidden one.
    std::string runSilent(const std::string& arguments, int exitCode) {
        const std::string log = folder + "\\setup.log";
        DeleteFileA(log.c_str());
        // The log first: a quote left open later on the line would take it in.
        EXPECT_EQ(exitCode, ts::runWithoutWindows(exe, "/S \"/LOG=" + log + "\" " + arguments)) << arguments;
        std::string text = ts::readFile(log);
        EXPECT_NE(std::string::npos, text.find("  Exit code " + std::to_string(exitCode) + ": ")) << text;
        return text;
    }
};

TEST_F(SetupEntry, WindowsNt4GetsTheWindows2000MessageAndNoSplash) {
    ts::setProgramVersion("setup.exe", "nt40");
    ts::Process setup;
    ASSERT_TRUE(setup.start(exe));
    ts::MessageBoxInfo box = ts::findMessageBox("Orlan PDF Scribe Setup");
    ASSERT_TRUE(box.window) << "no version message";
    EXPECT_EQ("Orlan PDF Scribe can't support operating systems before Windows 2000. \nSetup will end. ", box.text);
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    EXPECT_EQ(1, ts::visibleWindowsOf(setup.id())) << "only the message box is shown";
    ts::answerMessageBox("Orlan PDF Scribe Setup", IDOK);
    EXPECT_TRUE(wizard::endsWithoutAWindow(setup, 15000)) << "a splash or a page after OK";
    EXPECT_EQ(0, setup.wait(5000));
}

// A second copy while the first shows its splash ends without a window;
// once the first shows its page, another brings that page forward and ends.
// The first is started as Windows starts a path with blanks typed unquoted.
TEST_F(SetupEntry, SecondCopyEndsSilentlyDuringTheSplashAndThenBringsThePageForward) {
    ts::Process first;
    ASSERT_TRUE(first.start(exe, exe));
    // The splash is up for about two seconds before the first page.
    ASSERT_TRUE(ts::waitUntil([&] { return ts::visibleWindowsOf(first.id()) > 0; }, 15000, 10));
    ASSERT_EQ(nullptr, FindWindowA("#32770", kWizard));
    ts::Process second;
    ASSERT_TRUE(second.start(exe));
    EXPECT_TRUE(wizard::endsWithoutAWindow(second));
    EXPECT_EQ(0, second.wait(1000));

    HWND page = ts::findWindow("#32770", kWizard, 30000);
    ASSERT_TRUE(page) << "the first copy shows no page";
    EXPECT_TRUE(ts::control(page, 1028)) << "not the Welcome page, with its link";
    // A window of ours in front, so that the hand-over has something to do.
    HWND other = ts::frontWindowOfOurs();
    ASSERT_TRUE(other) << "a window of the test's could not be put in front";
    ts::Process third;
    ASSERT_TRUE(third.start(exe));
    EXPECT_EQ(0, third.wait(20000));
    EXPECT_TRUE(ts::waitUntil([&] { return GetForegroundWindow() == page; }, 5000))
        << "the running page was not brought forward";
    EXPECT_TRUE(first.running());
    DestroyWindow(other);
    first.kill();
}

// Nothing is installed by any of these: each ends before the run, or as
// the run's first step when others can change the Default road's folder,
// there already, and rename the folder above it.
TEST_F(SetupEntry, UnattendedRefusalsEndWithTheirCodeAndALogLine) {
    const std::string tooLong = "/D=C:\\" + std::string(300, 'x');
    // The Default road's folder lies in a Program Files folder of the test's own.
    ts::regSetText(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir", folder);
    const std::string open = folder + "\\open", defaultDir = product_road::defaultInstallDir();
    for (const std::string& made : {open, defaultDir.substr(0, defaultDir.rfind('\\')), defaultDir}) {
        CreateDirectoryA(made.c_str(), nullptr);
        ASSERT_TRUE(install_support::letEveryoneWrite(made)) << made;
    }
    auto refusal = [](const std::string& made, const char* reason = product::kFolderOthersMayChange) {
        char text[512];
        snprintf(text, sizeof text, reason, made.c_str(), product::kChooseAnotherFolder);
        return std::string(text);
    };
    const std::string openRefused = refusal(open);
    const std::string defaultRefused =
        "Checking the install folder: failed: " + refusal(defaultDir, product::kFolderAboveOthersMayChange);
    const struct {
        std::string arguments;
        int exitCode;
        const char* logged;
    } cases[] = {
        {"/X", 1, "Bad command line: Unknown switch: /X"},
        {"/NOADDIN /NOADDIN", 1, "Bad command line: /NOADDIN is given twice."},
        {"\"/D=C:\\Program Files\\X", 1, "Bad command line: The command line has a quote that is not closed"},
        {"/D=", 1, product::kFolderEmpty},
        {"/D=Orlan\\PDF", 1, product::kFolderNotFull},
        {tooLong, 1, product::kFolderTooLong},
        {"/D=\"C:\\Program Files\\a|b\"", 1, product::kFolderBadCharacter},
        {"\"/D=" + open + "\"", 1, openRefused.c_str()},
        {"/NOSHORTCUT", 4, defaultRefused.c_str()},
        {"/?", 0, "Usage: setup.exe [/S [/D=folder]"},
    };
    for (const auto& c : cases) {
        std::string log = runSilent(c.arguments, c.exitCode);
        EXPECT_NE(std::string::npos, log.find(c.logged)) << c.arguments << "\n" << log;
        EXPECT_NE(std::string::npos, log.find("\" " + c.arguments + "\r\n")) << "the command line, whole";
    }
    EXPECT_FALSE(ts::fileExists(defaultDir + "\\uninstall.exe"));

    ts::setProgramVersion("setup.exe", "nt40");
    std::string tooOld = product::kTooOld;  // one line in the log
    std::replace(tooOld.begin(), tooOld.end(), '\n', ' ');
    EXPECT_NE(std::string::npos, runSilent("", 2).find(tooOld));
    ts::setProgramVersion("setup.exe", "");

    HANDLE held = CreateMutexA(nullptr, TRUE, product::kSetupMutex);
    EXPECT_NE(std::string::npos, runSilent("", 3).find("Another copy of setup is running."));
    CloseHandle(held);
}

// Without /S a bad command line gets the usage in a box, and setup ends.
TEST_F(SetupEntry, ABadCommandLineShowsTheUsage) {
    for (const char* arguments : {"/X", "/NOADDIN", "/?"}) {
        ts::Process setup;
        ASSERT_TRUE(setup.start(exe, "\"" + exe + "\" " + arguments));
        ts::MessageBoxInfo box = ts::answerMessageBox(product::kSetupBoxCaption, IDOK);
        EXPECT_NE(std::string::npos, box.text.find(product::kSetupUsage)) << box.text;
        EXPECT_EQ(arguments[1] == '?', box.text.find(arguments) == std::string::npos) << box.text;
        EXPECT_EQ(arguments[1] == '?' ? 0 : 1, setup.wait(15000)) << arguments;
    }
}
}  // namespace
