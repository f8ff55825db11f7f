// Look-alikes of the system DLLs that the programs load by name, planted
// where a user's download or the temp folder would hold them: beside
// setup.exe, and in the temp folder from which the uninstaller's copy runs.
// A careless loader picks every one of them up; the real programs, on their
// whole road, load none. One of them is a companion that a system DLL imports
// by bare name: loading the system DLL by its full path alone still looks for
// that companion beside the program first.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "tests/support/product_road.h"
#include "tests/support/spooler_support.h"
#include "tests/support/support.h"
#include "tests/support/uninstall_support.h"
#include "tests/support/wizard_support.h"

namespace ts = testing_support;
namespace us = uninstall_support;

namespace {

// File names of the plants, and the names Wine's override key uses for them.
// The last is the companion that the system folder's msimg32.dll imports
// here; the careless loader loads the others by bare name.
const char* const kPlants[] = {"winspool.drv", "comctl32.dll", "msimg32.dll", "netapi32.dll", "imgcore.dll"};
const size_t kBareNamePlants = 4;
const char* const kOverrideNames[] = {"winspool.drv", "comctl32", "msimg32", "netapi32"};
const char kOverrideKey[] = "Software\\Wine\\DllOverrides";
const char kNaiveLoader[] = "naive_loader.exe";
const char kAskedMark[] = "C:\\orlan-hardening-asked.mark";

// Copies every plant into folder.
bool plantInto(const std::string& folder) {
    for (const char* name : kPlants)
        if (!CopyFileA(ts::plantFile(name).c_str(), (folder + "\\" + name).c_str(), FALSE)) return false;
    return true;
}

class PlantedDlls : public ::testing::Test {
protected:
    void SetUp() override {
        // Left alone, Wine loads its own builtin copy of these names whatever
        // lies in the program's folder. With these values it searches as
        // Windows does, the program's own folder first, in every process
        // started from now on; they go again at the end (each test program
        // has a prefix of its own).
        for (const char* name : kOverrideNames)
            ASSERT_TRUE(ts::regSetText(HKEY_CURRENT_USER, kOverrideKey, name, "native,builtin")) << name;
        ASSERT_TRUE(administrator.ready());
        // The stand-in msimg32.dll and its companion lie in the system
        // folder, where the programs load msimg32 from by full path.
        ASSERT_TRUE(companion.ready());
        ASSERT_TRUE(msimg32.ready());
        DeleteFileA(kAskedMark);
        for (const char* name : kPlants) ASSERT_TRUE(ts::fileExists(ts::plantFile(name))) << name;
    }
    void TearDown() override {
        for (const char* name : kOverrideNames) ts::regDeleteValue(HKEY_CURRENT_USER, kOverrideKey, name);
        DeleteFileA(kAskedMark);
        for (const char* name : kPlants) DeleteFileA((us::tempFolder() + "\\" + name).c_str());
    }

    // The careless loader run from folder leaves a mark for every plant
    // there: the plants are found and would be loaded, the companion too when
    // the system's msimg32.dll is loaded by its full path alone. Without
    // this, no mark later would prove nothing.
    void expectNaiveLoaderTakesEveryPlant(const std::string& folder) {
        std::string loader = folder + "\\" + kNaiveLoader;
        ASSERT_TRUE(CopyFileA(ts::plantFile(kNaiveLoader).c_str(), loader.c_str(), FALSE));
        std::string line = std::string("\"") + loader + "\"";
        for (size_t i = 0; i < kBareNamePlants; ++i) line += std::string(" ") + kPlants[i];
        line += " " + msimg32.path();
        ts::Process naive;
        ASSERT_TRUE(naive.start(loader, line));
        // Every load fails: the plant refuses to attach once it has left its
        // mark, and a DLL whose import failed is not loaded either.
        EXPECT_EQ(5, naive.wait(30000));
        DeleteFileA(loader.c_str());
        std::vector<std::string> found = marks.take();
        ASSERT_EQ(5u, found.size()) << ::testing::PrintToString(found);
        for (const char* name : kPlants) {
            const std::string expected = folder + "\\" + name + " loaded by " + loader;
            auto same = [&](const std::string& mark) { return lstrcmpiA(mark.c_str(), expected.c_str()) == 0; };
            EXPECT_TRUE(std::any_of(found.begin(), found.end(), same))
                << name << " not loaded from " << folder << ": " << ::testing::PrintToString(found);
        }
    }

    // Wine reports every user as a guest; the stand-in in the system folder
    // says administrator and leaves kAskedMark when asked.
    us::NetApiStandIn administrator{ORLAN_NETAPI_STUB, "2", kAskedMark};
    us::SystemFileStandIn companion{"imgcore.dll", ORLAN_PLANT_DIR "\\system\\imgcore.dll"};
    us::SystemFileStandIn msimg32{"msimg32.dll", ORLAN_PLANT_DIR "\\system\\msimg32.dll"};
    ts::PlantMarks marks;
};

bool printerInstalled() { return spooler_support::printerFacts("Orlan PDF Printer").exists; }

TEST_F(PlantedDlls, SetupAndTheUninstallerLoadNoneOfThem) {
    // Setup from a download folder that also holds the plants. Its road uses
    // the splash fade (msimg32, which both programs load first thing), the
    // common controls and the progress bar (comctl32), and the spooler for
    // port, driver and printer (winspool).
    std::string folder = wizard::stagedSetupFolder("planted");
    ASSERT_TRUE(plantInto(folder));
    expectNaiveLoaderTakesEveryPlant(folder);
    if (HasFatalFailure()) return;
    std::string failure;
    int code = wizard::runDefaultRoad(folder, &failure);
    EXPECT_EQ(std::vector<std::string>{}, marks.take()) << "setup loaded a planted DLL";
    ASSERT_EQ(0, code) << failure;
    ts::removeTree(folder);
    ASSERT_TRUE(printerInstalled()) << "setup's run did not reach the spooler";

    // The uninstaller's copy runs from the temp folder, the one folder any
    // program may write to; the plants wait there. The NetApi32 stand-in lies
    // in the system folder under the same override: only the system's copy
    // may answer the administrator test.
    ASSERT_TRUE(plantInto(us::tempFolder()));
    expectNaiveLoaderTakesEveryPlant(us::tempFolder());
    if (HasFatalFailure()) return;
    std::string outcome = product_road::uninstallFromShortcut(true);
    EXPECT_EQ(std::vector<std::string>{}, marks.take()) << "the uninstaller loaded a planted DLL";
    ASSERT_EQ("", outcome);
    EXPECT_TRUE(ts::fileExists(kAskedMark)) << "the administrator test did not reach the system's NetApi32";
    EXPECT_FALSE(printerInstalled()) << "the uninstaller's run did not reach the spooler";
}

}  // namespace
