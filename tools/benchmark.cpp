// Timings for scripts/benchmark.sh (a tool, no CTest entry runs it): setup's
// installation run, from Install pressed to the Finish page, its part from
// the file step on (what an NSIS installer can do as well), and the
// uninstaller's removal run, from Yes to its success message, each five
// times in one prefix. Prints one line per round.
#include <gtest/gtest.h>
#include <stdio.h>
#include "tests/support/product_road.h"
#include "tests/support/support.h"
#include "tests/support/uninstall_support.h"
#include "tests/support/wizard_support.h"

namespace ts = testing_support;
using wizard::WizardPage;

namespace {
double seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

TEST(Benchmark, InstallAndRemoveFiveTimes) {
    // The uninstaller asks the account database; Wine's says guest.
    uninstall_support::NetApiStandIn administrator(ORLAN_NETAPI_STUB, "2");
    ASSERT_TRUE(administrator.ready());
    std::string folder = wizard::stagedSetupFolder("bench");
    for (int round = 1; round <= 5; ++round) {
        double install = 0, filesOn = 0;
        {
            wizard::SetupRun setup(folder);
            std::string failure;
            HWND page = wizard::toSetupType(setup, &failure);
            ASSERT_TRUE(page) << failure;
            ASSERT_TRUE(page = setup.advance(page, 1009, WizardPage::Summary));
            LARGE_INTEGER start, files = {}, end;
            QueryPerformanceCounter(&start);
            ts::press(page, 1012);
            // The part NSIS can do too begins with the files: watch the status line.
            HWND progress = setup.waitPage(WizardPage::Progress, 30000);
            ASSERT_TRUE(progress) << "round " << round << ": no progress page";
            ts::waitUntil(
                [&] {
                    if (ts::controlText(progress, 1020) != "Status: Copying files to setup folder")
                        return !IsWindow(progress);
                    QueryPerformanceCounter(&files);
                    return true;
                },
                30000, 1);
            page = setup.waitPage(WizardPage::Finish, 120000);
            QueryPerformanceCounter(&end);
            ASSERT_TRUE(page) << "round " << round << ": no Finish page";
            ASSERT_NE(0, files.QuadPart) << "round " << round << ": the file step was not seen";
            install = seconds(start, end);
            filesOn = seconds(files, end);
            ts::press(page, 1005);
            ASSERT_EQ(0, setup.waitExit(20000));
        }
        product_road::UninstallTimes times;
        ASSERT_EQ("", product_road::uninstallFromShortcut(true, &times));
        printf("BENCH round=%d setup_run=%.3f setup_files_on=%.3f uninstall_run=%.3f\n", round, install, filesOn,
               times.removalSeconds);
    }
    ts::removeTree(folder);
}
}  // namespace
