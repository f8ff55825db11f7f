// Test support: paths, registry and file helpers, and a driver for the
// programs' windows under Wine (start a program, wait for its windows, read
// and press controls, answer message boxes, take screenshots). Nothing here
// sleeps blindly: every wait is for a condition, with a time limit.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// Code page 932 (Japanese) gives some characters a second byte of 0x5C, the
// backslash's: ソ and 表. With フト, for names in tests that run under that
// ANSI code page (their CTest entries set a Japanese locale, from which Wine
// takes it).
#define CP932_SO "\x83\x5C"
#define CP932_HYO "\x95\x5C"
#define CP932_FUTO "\x83\x74\x83\x67"

namespace testing_support {

// dist/ as Wine sees it, and a file in it.
std::string distDir();
std::string distFile(const char* name);
// A folder for screenshots and other build output, created on demand.
std::string outputDir(const char* sub);

// A new empty folder under the Wine temp folder; removed by the caller or left.
std::string makeTempDir(const char* prefix);
// Copies dist/ (or the named files only) into folder.
void stageDist(const std::string& folder, const std::vector<std::string>& skip = {});
bool fileExists(const std::string& path);
// A link at path `link` to the folder `target`, made as Wine can: a Unix
// symbolic link (by /bin/ln, which Wine starts), which Wine reports as a
// reparse point. Wine makes no junction (FSCTL_SET_REPARSE_POINT is not
// supported) and CreateSymbolicLinkW makes nothing. False when no link
// came; removeFolderLink takes the link away, never its target.
bool makeFolderLink(const std::string& link, const std::string& target);
// The Unix name Wine gives a Windows path (in the ANSI code page); "" when
// it has none.
std::string unixPathOf(const std::string& path);
void removeFolderLink(const std::string& link);
bool folderExists(const std::string& path);
void removeTree(const std::string& path);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& contents);

// Plants (tests/hardening/plant): look-alike DLLs and "marker.exe", each
// leaving a mark when it is loaded or started.
std::string plantFile(const char* name);
// While the object lives, every process started from this one leaves its
// plants' marks in a folder of its own.
class PlantMarks {
public:
    PlantMarks();
    ~PlantMarks();
    PlantMarks(const PlantMarks&) = delete;
    PlantMarks& operator=(const PlantMarks&) = delete;
    // "<plant path> loaded by <program path>" for each mark left so far;
    // take() removes the marks it gives.
    std::vector<std::string> left() const { return read(false); }
    std::vector<std::string> take() { return read(true); }

private:
    std::vector<std::string> read(bool remove) const;
    std::string folder_;
};

// Registry.
bool regValue(HKEY root, const char* key, const char* name, std::string* data, DWORD* type = nullptr);
bool regKeyExists(HKEY root, const char* key);
void regDeleteTree(HKEY root, const char* key);
// Creates the key and writes the value (name null: the key's default);
// false when either fails. regSetText counts the terminator.
bool regSet(HKEY root, const char* key, const char* name, DWORD type, const void* data, DWORD size);
bool regSetText(HKEY root, const char* key, const char* name, const std::string& value);
void regDeleteValue(HKEY root, const char* key, const char* name);

// A Programs folder (all users' or the user's), without a trailing backslash.
std::string programsFolder(bool allUsers);

// Polls until done() is true or timeoutMs passes; returns done().
bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs = 15000, DWORD stepMs = 50);

// A started program.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    // Starts the program with the given command line (quoted path added when
    // commandLine is empty) in workDir (or the program's folder).
    bool start(const std::string& exe, const std::string& commandLine = "", const std::string& workDir = "");
    // Waits for the end; returns the exit code or -1 on time-out.
    int wait(DWORD timeoutMs = 30000);
    bool running() const;
    DWORD id() const { return info_.dwProcessId; }
    HANDLE handle() const { return info_.hProcess; }
    void kill();

private:
    PROCESS_INFORMATION info_ = {};
};

// Windows of other processes.
HWND findWindow(const char* cls, const char* caption, DWORD timeoutMs = 15000);
std::string windowText(HWND window);  // WM_GETTEXT, marshalled across processes
std::string controlText(HWND dialog, int id);
HWND control(HWND dialog, int id);
bool isEnabled(HWND dialog, int id);
bool isChecked(HWND dialog, int id);
RECT windowRect(HWND window);
// A small popup of the test's own, put in front so that a hand-over to
// another window has something to do; null when it could not get there.
HWND frontWindowOfOurs();
// How many visible top-level windows the process has.
int visibleWindowsOf(DWORD pid);
// Presses a button without blocking on a modal box it may open.
void press(HWND dialog, int id);
// Sends a command as the dialog manager would (IDCANCEL for Escape).
void command(HWND dialog, int id);

// A message box: its caption, text and the ids of its visible buttons.
struct MessageBoxInfo {
    HWND window = nullptr;
    std::string text;
    std::vector<int> buttons;
};
// Waits for a visible message box with that caption; gives up early, with
// no box, once until() holds (the run that would show it has ended).
MessageBoxInfo findMessageBox(const char* caption, DWORD timeoutMs = 15000,
                              const std::function<bool()>& until = nullptr);
// Waits for the box, presses buttonId, waits for the box to close.
MessageBoxInfo answerMessageBox(const char* caption, int buttonId, DWORD timeoutMs = 15000);

// Every test program has a watchdog for the product's message boxes (its
// three captions): a box that no thread is looking for and that no caller
// was handed fails the running test after kStrayBoxGraceMs and is closed
// with its last button (No, Cancel or OK), so that the run blocked on it
// goes on instead of hanging until CTest's time limit.
const DWORD kStrayBoxGraceMs = 10000;

// Screenshot of the whole screen (or one window) as a 24-bit BMP file.
bool screenshot(const std::string& path, HWND window = nullptr);
// Pixel of the screen.
COLORREF screenPixel(int x, int y);

// Wine's per-program Windows version ("nt40", "win2k", ...); empty clears it.
void setProgramVersion(const char* exeName, const char* version);

// Watches, on a thread of its own and from construction to finish(), every
// running process whose executable's file name passes `watched` for
// top-level windows: proof from outside that a program showed none.
class WindowWatcher {
public:
    explicit WindowWatcher(std::function<bool(const std::string& exeName)> watched);
    ~WindowWatcher();
    WindowWatcher(const WindowWatcher&) = delete;
    WindowWatcher& operator=(const WindowWatcher&) = delete;
    // Stops; each window seen, as "<exe>: <class> \"<title>\"" (hidden ones
    // marked so).
    std::vector<std::string> finish();
    // How many watched processes were seen: a watch that saw none proves nothing.
    size_t processesSeen() const { return processes_.size(); }

private:
    void look();
    std::function<bool(const std::string&)> watched_;
    std::vector<DWORD> processes_;
    std::vector<HWND> windows_;
    std::vector<std::string> seen_;
    HANDLE stop_;
    HANDLE thread_;
};

// setup.exe, uninstall.exe and the uninstaller's "Orl*.exe" copies.
bool isProductProgram(const std::string& exe);
// Runs a program to its end with the arguments after its quoted path, and
// then until alsoWaitFor holds (the uninstaller's copy, say), failing the
// test on any window of the product's programs, hidden ones too. The exit
// code; -1 when the program did not end in time.
int runWithoutWindows(const std::string& exe, const std::string& arguments, DWORD timeoutMs = 60000,
                      const std::function<bool()>& alsoWaitFor = nullptr);

}  // namespace testing_support
