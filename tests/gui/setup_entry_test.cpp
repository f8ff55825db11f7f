// Setup's start as users meet it: the version check, and a second copy
// handing over to the wizard that already runs.
#include <gtest/gtest.h>
#include "tests/support/support.h"

namespace ts = testing_support;

namespace {
const char kWizard[] = "Orlan PDF Scribe Setup Wizard";

class SetupEntry : public ::testing::Test {
protected:
    void SetUp() override {
        folder = ts::makeTempDir("entry");
        ts::stageDist(folder);
        exe = folder + "\\setup.exe";
    }
    void TearDown() override {
        ts::setProgramVersion("setup.exe", "");
        ts::removeTree(folder);
    }
    std::string folder, exe;
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
    // After OK the program ends without a splash or a page.
    bool shownAfter = false;
    ts::waitUntil([&] {
        if (ts::visibleWindowsOf(setup.id()) > 0) shownAfter = true;
        return !setup.running();
    }, 15000, 10);
    EXPECT_FALSE(shownAfter);
    EXPECT_EQ(0, setup.wait(5000));
}

TEST_F(SetupEntry, SecondCopyBringsTheRunningPageForwardAndEnds) {
    ts::Process first;
    ASSERT_TRUE(first.start(exe));
    HWND page = ts::findWindow("#32770", kWizard, 30000);
    ASSERT_TRUE(page) << "the first copy shows no page";

    // Put a window of ours in front, so that the hand-over has something to do.
    HWND other = ts::frontWindowOfOurs();
    ASSERT_TRUE(other) << "a window of the test's could not be put in front";

    ts::Process second;
    ASSERT_TRUE(second.start(exe));
    EXPECT_EQ(0, second.wait(20000));
    EXPECT_TRUE(ts::waitUntil([&] { return GetForegroundWindow() == page; }, 5000))
        << "the running page was not brought forward";
    EXPECT_TRUE(first.running());
    DestroyWindow(other);
    first.kill();
}

TEST_F(SetupEntry, SecondCopyDuringTheSplashEndsSilently) {
    ts::Process first;
    ASSERT_TRUE(first.start(exe));
    // The splash is up for about two seconds before the first page.
    ASSERT_TRUE(ts::waitUntil([&] { return ts::visibleWindowsOf(first.id()) > 0; }, 15000, 10));
    ASSERT_EQ(nullptr, FindWindowA("#32770", kWizard));
    ts::Process second;
    ASSERT_TRUE(second.start(exe));
    bool secondShowed = false;
    ts::waitUntil([&] {
        if (ts::visibleWindowsOf(second.id()) > 0) secondShowed = true;
        return !second.running();
    }, 20000, 10);
    EXPECT_EQ(0, second.wait(1000));
    EXPECT_FALSE(secondShowed);
    first.kill();
}
}  // namespace
