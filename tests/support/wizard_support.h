// Driving the real setup.exe through its wizard from another process: start
// it from a staged folder, wait for each page by the control only that page
// has, walk roads, read list-view rows across processes, click for real.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tests/support/support.h"

namespace wizard {

extern const char kQuitCaption[];  // the quit question's caption

enum class WizardPage { Welcome, Licence, SetupType, Destination, Options, Summary, Progress, Finish, Interrupted };
const char* pageName(WizardPage page);

// A new temp folder holding a copy of dist/.
std::string stagedSetupFolder(const char* prefix);

// A suite whose tests start setup from one staged copy of dist/ (folder),
// made before its first test and removed after its last.
class StagedSetupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { folder = new std::string(stagedSetupFolder("wizard")); }
    static void TearDownTestSuite() {
        testing_support::removeTree(*folder);
        delete folder;
        folder = nullptr;
    }
    static std::string* folder;
};

// One running setup.exe. The destructor ends it if it still runs, so a
// failing test never leaves a wizard (and its mutex) behind.
class SetupRun {
public:
    // program: setup's file name in folder, as the user may have renamed it;
    // arguments: what follows its quoted path on the command line.
    explicit SetupRun(const std::string& folder, const std::string& program = "setup.exe",
                      const std::string& arguments = "");
    ~SetupRun();
    SetupRun(const SetupRun&) = delete;
    SetupRun& operator=(const SetupRun&) = delete;

    bool started() const { return started_; }
    DWORD pid() const { return process_.id(); }
    bool running() const { return process_.running(); }
    // Waits for the process to end; its exit code, or -1 on time-out.
    int waitExit(DWORD timeoutMs = 20000);
    void kill() { process_.kill(); }

    // The visible page of this setup that is `page`, waited for.
    HWND waitPage(WizardPage page, DWORD timeoutMs = 30000);
    // Presses a button of `page` (BM_CLICK), waits for that page window to
    // go and for `next` to show; null when it does not.
    HWND advance(HWND page, int buttonId, WizardPage next, DWORD timeoutMs = 30000);
    // Any visible top-level dialog of this setup other than its pages (the
    // folder browser, for one); null after the time-out.
    HWND waitOtherDialog(DWORD timeoutMs = 10000);
    // From a page to the Interrupted page: Escape (IDCANCEL), the close box
    // (0) or a press of the button, Yes to the quit question; null when a
    // step did not come.
    HWND quitToInterrupted(HWND page, int button = IDCANCEL);
    // The same, then Finish there: whether setup ended with 0.
    bool quit(HWND page, int button = IDCANCEL);
    // Waits for setup to end; false when it did not or the quit question
    // came on the way (a closing page ends at once, without asking).
    bool endsWithoutQuestion(DWORD timeoutMs = 20000);

private:
    testing_support::Process process_;
    bool started_ = false;
};

// Waits for the process to end: whether it ended without ever showing a
// visible window.
bool endsWithoutAWindow(const testing_support::Process& process, DWORD timeoutMs = 20000);

// After Install: waits for the Finish page, answering Yes when the run asks
// whether to install over an earlier installation; null when the run ended
// elsewhere (the Interrupted page) or the time ran out.
HWND waitFinishAfterInstall(SetupRun& setup, DWORD timeoutMs = 180000);

// From setup's start to the Setup type page: Welcome Next, Licence I agree.
// Null when a page did not come; *failure then tells which.
HWND toSetupType(SetupRun& setup, std::string* failure = nullptr);
// On from there with Custom to the Destination page.
HWND toDestination(SetupRun& setup, std::string* failure = nullptr);
// Repaints a page and saves its picture as pages\<name>.bmp in the output.
bool shoot(HWND page, const char* name);

// Starts setup from folder and walks the default road: Welcome Next, Licence
// I agree, Setup type Default, Summary Install, the run, Finish. Returns the
// exit code, or -1 when a page did not come (the process is then ended and
// *failure tells where).
int runDefaultRoad(const std::string& folder, std::string* failure = nullptr, const std::string& arguments = "");

// The quit question: waits for it, checks caption and text, answers.
// Returns false when no such box came.
bool answerQuitQuestion(int buttonId, DWORD timeoutMs = 10000);

// Rows of a report-view list of another process, `columns` texts each.
std::vector<std::vector<std::string>> listViewRows(HWND list, int columns);
// The item of another process's tree view with that text among the children
// of parent (the top items for a null parent); null when there is none.
HTREEITEM treeChildNamed(HWND tree, HTREEITEM parent, const std::string& name);
// Column headings of such a list.
std::vector<std::string> listViewHeadings(HWND list, int columns);
// Sends a window message whose lParam points at `data` copied into the
// window's process (for messages that carry pointers); what the window
// wrote there is copied back into `data`.
LRESULT sendWithRemoteData(HWND window, UINT message, WPARAM wParam, void* data, size_t size);

// A mouse click at screen coordinates as hardware input (SendInput), as a
// user's click arrives; false when the input could not be sent.
bool realClick(int x, int y);

}  // namespace wizard
