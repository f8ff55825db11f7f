// The main job, run by scripts/run.sh when there is no display: the default
// road through the real wizard with a screenshot of every page (the custom
// road's pages seen on the way, then Back to Default), the uninstaller run
// from its shortcut, and what each of them did to the machine. A tool, not a
// test: no CTest entry runs it.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "common/product.h"
#include "tests/support/machine_state.h"
#include "tests/support/product_road.h"
#include "tests/support/support.h"
#include "tests/support/uninstall_support.h"
#include "tests/support/wizard_support.h"

namespace ts = testing_support;
namespace ms = machine_state;
using wizard::WizardPage;

namespace {
std::string shotFolder() {
    const char* folder = getenv("ORLAN_SHOTS");
    if (folder && *folder) {
        CreateDirectoryA(folder, nullptr);
        return folder;
    }
    return ts::outputDir("main-job");
}

int shotNumber = 0;
bool shot(const char* name, HWND window = nullptr) {
    char file[64];
    snprintf(file, sizeof file, "%02d-%s.bmp", ++shotNumber, name);
    std::string path = shotFolder() + "\\" + file;
    bool saved = ts::screenshot(path, window);
    printf("  screenshot %s%s\n", file, saved ? "" : " (failed)");
    return saved;
}
// The uninstaller's steps: its progress dialog, or its message box.
void shotStep(const char* step) {
    bool progress = strstr(step, "progress") != nullptr;
    // The dialog is taken as soon as it is there: the removal is quick.
    if (!progress) Sleep(300);
    HWND window = FindWindowA("#32770", progress ? product::kUninstallCaption : product::kBoxCaption);
    if (!window || !shot(step, window)) printf("  (%s ended before it could be taken)\n", step);
}

void printLines(const char* heading, const std::vector<std::string>& lines) {
    printf("%s\n%s", heading, ms::describe(lines).c_str());
}

TEST(MainJob, DefaultRoadWithScreenshots) {
    std::string installDir = product_road::defaultInstallDir();
    std::string folder = wizard::stagedSetupFolder("mainjob");
    // Wine reports every user as a guest; the uninstaller asks the account
    // database, which here says what Windows says of an administrator.
    uninstall_support::NetApiStandIn administrator(ORLAN_NETAPI_STUB, "2");
    ASSERT_TRUE(administrator.ready());
    ms::Snapshot before = ms::capture({installDir});
    printf("Setup started from %s\n", folder.c_str());
    {
        wizard::SetupRun setup(folder);
        ASSERT_TRUE(setup.started());
        auto at = [&](HWND page, const char* name) {
            EXPECT_TRUE(page) << "no " << name << " page";
            if (page) {
                Sleep(300);
                shot(name, page);
            }
            return page;
        };
        HWND page = at(setup.waitPage(WizardPage::Welcome, 60000), "welcome");
        ASSERT_TRUE(page);
        ASSERT_TRUE(page = at(setup.advance(page, 1001, WizardPage::Licence), "licence"));
        ASSERT_TRUE(page = at(setup.advance(page, 1006, WizardPage::SetupType), "setup-type"));
        ASSERT_TRUE(page = at(setup.advance(page, 1010, WizardPage::Destination), "destination"));
        ASSERT_TRUE(page = at(setup.advance(page, 1001, WizardPage::Options), "options"));
        ASSERT_TRUE(page = at(setup.advance(page, 1001, WizardPage::Summary), "summary-custom"));
        ASSERT_TRUE(page = setup.advance(page, 1011, WizardPage::Options));
        ASSERT_TRUE(page = setup.advance(page, 1011, WizardPage::Destination));
        ASSERT_TRUE(page = setup.advance(page, 1011, WizardPage::SetupType));
        ASSERT_TRUE(page = at(setup.advance(page, 1009, WizardPage::Summary), "summary-default"));
        ts::press(page, 1012);
        // The run takes a fraction of a second: its page is taken when caught.
        HWND progress = setup.waitPage(WizardPage::Progress, 5000);
        if (!progress || !shot("progress", progress)) printf("  (the run ended before its page could be taken)\n");
        page = wizard::waitFinishAfterInstall(setup);
        ASSERT_TRUE(at(page, "finish"));
        ts::press(page, 1005);
        EXPECT_EQ(0, setup.waitExit(20000));
    }
    ms::Snapshot installed = ms::capture({installDir});
    printLines("Setup installed:", ms::minus(installed, before));

    EXPECT_EQ("", product_road::uninstallFromShortcut(true, nullptr, shotStep));
    ms::Snapshot after = ms::capture({installDir});
    printLines("The uninstaller removed:", ms::minus(installed, after));
    printLines("Left in place of what setup installed:", ms::minus(after, before));
    ts::removeTree(folder);
}
}  // namespace
