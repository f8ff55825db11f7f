// Helpers for driving the uninstaller: the product laid down as setup
// leaves it, its temporary copies, processes found by name with their
// command lines, and the stand-in NetApi32 put in place for one child.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace uninstall_support {

std::string tempFolder();  // without a trailing backslash
// The uninstaller's temporary copies: full paths of the temp folder's
// "Orl<n>" folders (n in hexadecimal), each with its copy "Orl<n>.exe" or
// what a run left of it.
std::vector<std::string> tempCopies();
// The copy in such a folder.
std::string copyIn(const std::string& copyFolder);
// The files of `after` that are not in `before`.
std::vector<std::string> newFiles(const std::vector<std::string>& before, const std::vector<std::string>& after);

// Lays the product down as setup's run leaves it: files in folder (with
// uninstall.exe), "SetupPath" and the uninstall entry under HKEY_LOCAL_MACHINE,
// the Start-menu shortcut for all users, the driver-side files, and with
// withPrinter the port, driver and printer in the spooler.
bool installProduct(const std::string& folder, bool withPrinter);
// "SetupPath" under HKEY_CURRENT_USER naming folder, as any program the user
// runs may write it.
void recordForUser(const std::string& folder);
// Removes what installProduct and a run may leave.
void clearProduct(const std::string& folder);

std::string startMenuFolder();  // all users' "Orlan PDF Scribe" folder

// A process by its executable's file name (no folder); 0 when none.
DWORD findProcess(const std::string& exeName);
// The command line of another process, read from its process parameters.
std::string commandLineOf(DWORD pid);
// Waits for the process to end; its exit code, or -1 on time-out.
int waitExit(DWORD pid, DWORD timeoutMs = 30000);
DWORD windowProcess(HWND window);

// A file of the system folder replaced by a stand-in while the object
// lives; the system's own copy, or none, comes back on destruction.
class SystemFileStandIn {
public:
    SystemFileStandIn(const char* name, const std::string& standIn);
    ~SystemFileStandIn();
    SystemFileStandIn(const SystemFileStandIn&) = delete;
    SystemFileStandIn& operator=(const SystemFileStandIn&) = delete;
    bool ready() const { return ready_; }
    const std::string& path() const { return target_; }

private:
    std::string target_, saved_;
    bool ready_ = false;
};

// Puts the stand-in NetApi32.dll in the system folder and makes every
// process started while the object lives load it (Wine's DllOverrides key);
// the system's own copy, the key and the environment come back on
// destruction.
class NetApiStandIn {
public:
    NetApiStandIn(const char* stubPath, const char* privilege, const std::string& markFile = "");
    ~NetApiStandIn();
    bool ready() const { return ready_; }

private:
    SystemFileStandIn file_;
    bool ready_ = false;
    bool overridden_ = false;
};

}  // namespace uninstall_support
