#include "tests/support/uninstall_support.h"
#include <tlhelp32.h>
#include <winternl.h>
#include <stddef.h>
#include <algorithm>
#include "tests/support/spooler_support.h"
#include "tests/support/support.h"

namespace ts = testing_support;

namespace uninstall_support {

namespace {
const char kProductKey[] = "Software\\Orlan Software\\PDF Scribe";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orlan Scribe";
}  // namespace

std::string tempFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = temp;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

std::vector<std::string> tempCopies() {
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((tempFolder() + "\\Orl*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return found;
    do {
        const std::string digits = data.cFileName + 3;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !digits.empty() && digits.size() <= 4 &&
            digits.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos)
            found.push_back(tempFolder() + "\\" + data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return found;
}

std::string copyIn(const std::string& copyFolder) {
    return copyFolder + "\\" + copyFolder.substr(copyFolder.rfind('\\') + 1) + ".exe";
}

std::vector<std::string> newFiles(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    std::vector<std::string> added;
    for (const std::string& f : after)
        if (std::find(before.begin(), before.end(), f) == before.end()) added.push_back(f);
    return added;
}

std::string startMenuFolder() {
    return ts::programsFolder(true) + "\\Orlan PDF Scribe";
}

bool installProduct(const std::string& folder, bool withPrinter) {
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* file : {"uninstall.exe", "ops_wordaddin.dll"})
        if (!CopyFileA(ts::distFile(file).c_str(), (folder + "\\" + file).c_str(), FALSE)) return false;
    CreateDirectoryA((spooler_support::driverDirectory() + "\\3").c_str(), nullptr);
    for (const char* file : {"ORC_ProxyProcess.exe", "kpdcjk.bin"})
        CopyFileA(ts::distFile(file).c_str(), spooler_support::versionFile(file).c_str(), FALSE);
    ts::regSetText(HKEY_LOCAL_MACHINE, kProductKey, "SetupPath", folder + "\\");
    ts::regSetText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Orlan Scribe");
    ts::regSetText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "\"" + folder + "\\uninstall.exe\"");
    CreateDirectoryA(startMenuFolder().c_str(), nullptr);
    ts::writeFile(startMenuFolder() + "\\Uninstall.lnk", "link");
    if (!withPrinter) return true;
    spooler_support::addPortDirectly(L"ORLAN_PDF:");
    if (!spooler_support::registerDriver(ts::distDir(), "Orlan PDF Printer Driver")) return false;
    return spooler_support::addPrinterOn("Orlan PDF Printer", "ORLAN_PDF:", "Orlan PDF Printer Driver");
}

void recordForUser(const std::string& folder) { ts::regSetText(HKEY_CURRENT_USER, kProductKey, "SetupPath", folder + "\\"); }

void clearProduct(const std::string& folder) {
    spooler_support::removeProduct();
    ts::regDeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
    ts::regDeleteTree(HKEY_CURRENT_USER, kProductKey);
    ts::regDeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    ts::removeTree(startMenuFolder());
    if (!folder.empty()) ts::removeTree(folder);
}

DWORD findProcess(const std::string& exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD pid = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !pid; more = Process32Next(snapshot, &entry)) {
        const char* slash = strrchr(entry.szExeFile, '\\');
        if (lstrcmpiA(slash ? slash + 1 : entry.szExeFile, exeName.c_str()) == 0) pid = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return pid;
}

std::string commandLineOf(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return "";
    typedef LONG(WINAPI * QueryFn)(HANDLE, int, PVOID, ULONG, PULONG);
    QueryFn query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    std::string result;
    PROCESS_BASIC_INFORMATION basic = {};
    if (query && query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) >= 0 && basic.PebBaseAddress) {
        // The documented parts of the two structures give the offsets for
        // either pointer size; the target has the test's own bitness.
        BYTE* parameters = nullptr;
        UNICODE_STRING line = {};
        if (ReadProcessMemory(process, reinterpret_cast<BYTE*>(basic.PebBaseAddress) + offsetof(PEB, ProcessParameters),
                              &parameters, sizeof parameters, nullptr) &&
            ReadProcessMemory(process, parameters + offsetof(RTL_USER_PROCESS_PARAMETERS, CommandLine), &line,
                              sizeof line, nullptr) &&
            line.Buffer) {
            std::wstring wide(line.Length / 2, L'\0');
            if (ReadProcessMemory(process, line.Buffer, &wide[0], line.Length, nullptr)) {
                char narrow[1024] = "";
                WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
                result = narrow;
            }
        }
    }
    CloseHandle(process);
    return result;
}

int waitExit(DWORD pid, DWORD timeoutMs) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process) return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code))
        code = static_cast<DWORD>(-1);
    CloseHandle(process);
    return static_cast<int>(code);
}

DWORD windowProcess(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

static const char kOverrideKey[] = "Software\\Wine\\DllOverrides";

SystemFileStandIn::SystemFileStandIn(const char* name, const std::string& standIn) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    target_ = std::string(system) + "\\" + name;
    if (ts::fileExists(target_)) {
        saved_ = target_ + ".orlan-saved";
        if (!CopyFileA(target_.c_str(), saved_.c_str(), FALSE)) {
            saved_.clear();
            return;
        }
    }
    ready_ = CopyFileA(standIn.c_str(), target_.c_str(), FALSE) != FALSE;
}

SystemFileStandIn::~SystemFileStandIn() {
    if (!saved_.empty()) {
        CopyFileA(saved_.c_str(), target_.c_str(), FALSE);
        DeleteFileA(saved_.c_str());
    } else if (ready_) {
        DeleteFileA(target_.c_str());
    }
}

NetApiStandIn::NetApiStandIn(const char* stubPath, const char* privilege, const std::string& markFile)
    : file_("netapi32.dll", stubPath) {
    if (!file_.ready()) return;
    // Wine takes WINE* variables from the Unix environment, so an override
    // set here would not reach the programs the test starts, nor the
    // uninstaller's temporary copy. Wine's own override key reaches every
    // process; native first, falling back to Wine's own for its stub file.
    overridden_ = ts::regSetText(HKEY_CURRENT_USER, kOverrideKey, "netapi32", "native,builtin");
    if (!overridden_) return;
    SetEnvironmentVariableA("ORLAN_NETAPI_PRIV", privilege);
    SetEnvironmentVariableA("ORLAN_NETAPI_MARK", markFile.empty() ? nullptr : markFile.c_str());
    ready_ = true;
}

NetApiStandIn::~NetApiStandIn() {
    if (overridden_) ts::regDeleteValue(HKEY_CURRENT_USER, kOverrideKey, "netapi32");
    SetEnvironmentVariableA("ORLAN_NETAPI_PRIV", nullptr);
    SetEnvironmentVariableA("ORLAN_NETAPI_MARK", nullptr);
}

}  // namespace uninstall_support
