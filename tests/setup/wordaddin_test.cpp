// The Word add-in's copy, retry prompt and self-registration, with the real
// stand-in add-in DLL from dist/.
#include <gtest/gtest.h>
#include <thread>
#include <vector>
#include "common/errorreport.h"
#include "common/installer.h"
#include "common/shell.h"
#include "install/install.h"
#include "tests/support/install_support.h"
#include "tests/support/scoped_calls.h"
#include "tests/support/support.h"

using namespace testing_support;

namespace {
const char kClassKey[] = "CLSID\\{421D155A-6894-4AB1-98CE-072B22976797}";
const char kServerKey[] = "CLSID\\{421D155A-6894-4AB1-98CE-072B22976797}\\InprocServer32";
const char kProgIdKey[] = "OrlanPdfScribe.WordAddin";
const char kWordKey[] = "Software\\Microsoft\\Office\\Word\\Addins\\OrlanPdfScribe.WordAddin";
const char kPrompt[] =
    "Installation might not be complete. \nPlease close the Microsoft Word program and try again, \n"
    "or click 'CANCEL' to quit.";

void clearRegistration() {
    regDeleteTree(HKEY_CLASSES_ROOT, kClassKey);
    regDeleteTree(HKEY_CLASSES_ROOT, kProgIdKey);
    regDeleteTree(HKEY_CURRENT_USER, kWordKey);
}

bool registered() { return regKeyExists(HKEY_CLASSES_ROOT, kServerKey); }

class WordAddin : public ::testing::Test {
protected:
    void SetUp() override {
        clearRegistration();
        source = makeTempDir("addinsource");
        stageDist(source);
        ASSERT_TRUE(fileExists(source + "\\ops_wordaddin.dll"));
        target = makeTempDir("addintarget");
        lstrcpyA(installer.sourceDir, source.c_str());
        lstrcpyA(installer.installDir, target.c_str());
        owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        installer.ownerWindow = owner;
        errorText[0] = '\0';
    }
    void TearDown() override {
        callDllRegistration((target + "\\ops_wordaddin.dll").c_str(), false);
        clearRegistration();
        DestroyWindow(owner);
        removeTree(source);
        removeTree(target);
    }
    std::string installed() const { return target + "\\ops_wordaddin.dll"; }

    std::string source, target;
    HWND owner = nullptr;
    Installer installer;
};

TEST_F(WordAddin, CopiesAndRegistersTheAddin) {
    ASSERT_EQ(1, installer.installWordAddin());
    EXPECT_EQ(readFile(source + "\\ops_wordaddin.dll"), readFile(installed()));
    EXPECT_EQ(nullptr, GetModuleHandleA(installed().c_str())) << "unloaded again after registering";
    std::string server;
    ASSERT_TRUE(regValue(HKEY_CLASSES_ROOT, kServerKey, nullptr, &server));
    EXPECT_STRCASEEQ(installed().c_str(), server.c_str()) << "the server is the installed copy";
    std::string threading;
    ASSERT_TRUE(regValue(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel", &threading));
    EXPECT_EQ(install_support::withNul("Apartment"), threading);
    std::string loadBehavior;
    DWORD type = 0;
    ASSERT_TRUE(regValue(HKEY_CURRENT_USER, kWordKey, "LoadBehavior", &loadBehavior, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(std::string("\3\0\0\0", 4), loadBehavior);
    EXPECT_TRUE(regKeyExists(HKEY_CLASSES_ROOT, "OrlanPdfScribe.WordAddin\\CLSID"));
    EXPECT_STREQ("", errorText);
}

TEST_F(WordAddin, APromptRepeatsWhileWordHoldsTheAddin) {
    writeFile(installed(), "the copy Word has open");
    HANDLE held = install_support::holdExclusively(installed());
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    int prompts = 0;
    bool registeredDuringPrompt = false;
    std::thread user([&] {
        for (; prompts < 3; ++prompts) {
            MessageBoxInfo box = findMessageBox("Orlan PDF Scribe");
            if (!box.window) return;
            EXPECT_EQ(kPrompt, box.text) << "prompt " << prompts;
            EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL}), box.buttons) << "prompt " << prompts;
            EXPECT_EQ(owner, GetWindow(box.window, GW_OWNER)) << "prompt " << prompts;
            registeredDuringPrompt |= registered();
            if (prompts == 0) screenshot(outputDir("wordaddin") + "\\retry-prompt.bmp", box.window);
            if (prompts == 2) CloseHandle(held);  // Word is closed now
            answerMessageBox("Orlan PDF Scribe", IDOK);
        }
    });
    int result = installer.installWordAddin();
    user.join();

    EXPECT_EQ(1, result);
    EXPECT_EQ(3, prompts);
    EXPECT_FALSE(registeredDuringPrompt);
    EXPECT_EQ(nullptr, FindWindowA("#32770", "Orlan PDF Scribe")) << "no fourth prompt";
    EXPECT_EQ(readFile(source + "\\ops_wordaddin.dll"), readFile(installed()));
    EXPECT_TRUE(registered());
    // The last failed copy's report stays: a sharing violation.
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = RegServ2(32):")) << errorText;
}

TEST_F(WordAddin, UnregisteringRemovesExactlyTheAddinsRegistration) {
    testing_support::regSetText(HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\Word\\Addins\\Other.Addin",
                                "FriendlyName", "another add-in");
    testing_support::regSetText(HKEY_CLASSES_ROOT, "OrlanPdfScribe.Other", nullptr, "a neighbour");
    ASSERT_TRUE(CopyFileA((source + "\\ops_wordaddin.dll").c_str(), installed().c_str(), FALSE));
    ASSERT_TRUE(callDllRegistration(installed().c_str(), true));
    ASSERT_TRUE(registered());
    ASSERT_TRUE(regKeyExists(HKEY_CURRENT_USER, kWordKey));

    EXPECT_TRUE(callDllRegistration(installed().c_str(), false));
    EXPECT_FALSE(regKeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(regKeyExists(HKEY_CLASSES_ROOT, kProgIdKey));
    EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, kWordKey));
    EXPECT_TRUE(regKeyExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\Word\\Addins\\Other.Addin"));
    EXPECT_TRUE(regKeyExists(HKEY_CLASSES_ROOT, "OrlanPdfScribe.Other"));
    EXPECT_TRUE(regKeyExists(HKEY_CLASSES_ROOT, "CLSID")) << "only the add-in's own class key goes";
    // Unregistering twice finds nothing left and still succeeds.
    EXPECT_TRUE(callDllRegistration(installed().c_str(), false));

    regDeleteTree(HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\Word\\Addins\\Other.Addin");
    regDeleteTree(HKEY_CLASSES_ROOT, "OrlanPdfScribe.Other");
}

// Cancel at the prompt is in the run's test of a cancelled add-in.
TEST_F(WordAddin, ASwappedAddinIsRefusedAndADllWithoutTheExportFailsTheStepAndIsUnloaded) {
    // A DLL without the registration export under the add-in's name: not the
    // release's add-in, refused without a prompt and without a copy.
    ASSERT_TRUE(CopyFileA((source + "\\kpd_drv.dll").c_str(), (source + "\\ops_wordaddin.dll").c_str(), FALSE));
    EXPECT_EQ(0, installer.installWordAddin());
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = RegServ2(1392):")) << errorText;
    EXPECT_FALSE(fileExists(installed()));
    // A release whose add-in it is.
    const std::string table = install_support::payloadTableOf(source, {"ops_wordaddin.dll"});
    installer.payloadTable = PayloadTable{table.c_str(), static_cast<DWORD>(table.size())};
    EXPECT_EQ(0, installer.installWordAddin());
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = DllRegisterServer(127):")) << errorText;
    ASSERT_TRUE(fileExists(installed()));
    EXPECT_EQ(nullptr, GetModuleHandleA(installed().c_str()));
    EXPECT_FALSE(callDllRegistration(installed().c_str(), true));  // its code: the add-in step's report
    EXPECT_EQ(nullptr, GetModuleHandleA(installed().c_str()));
    EXPECT_FALSE(callDllRegistration(installed().c_str(), false));
    EXPECT_EQ(nullptr, GetModuleHandleA(installed().c_str()));
    // Checked, then read otherwise for the copy: the copy goes, its
    // registration is not called, and no prompt asks to close Word.
    {
        ScopedCalls<FileCalls> files(fileCalls);
        files->readFile = install_support::readOtherBytes;
        EXPECT_EQ(0, installer.installWordAddin());
    }
    EXPECT_NE(nullptr, strstr(errorText, "Error tag = RegServ2(1392):")) << errorText;
    EXPECT_FALSE(fileExists(installed()));

    EXPECT_FALSE(callDllRegistration((target + "\\missing.dll").c_str(), true));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

}  // namespace
