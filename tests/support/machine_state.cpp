#include "tests/support/machine_state.h"
#include <windows.h>
#include <shlobj.h>
#include <winspool.h>
#include <stdio.h>
#include "common/product.h"
#include "tests/support/support.h"

namespace ts = testing_support;

namespace machine_state {
namespace {

template <typename Info>
std::vector<Info*> enumerate(BOOL (*call)(DWORD, BYTE*, DWORD, DWORD*, DWORD*), std::vector<BYTE>& buffer) {
    DWORD needed = 0, count = 0;
    call(0, nullptr, 0, &needed, &count);
    buffer.assign(needed + 16, 0);
    std::vector<Info*> items;
    if (!call(static_cast<DWORD>(buffer.size()), buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count))
        return items;
    for (DWORD i = 0; i < count; ++i) items.push_back(reinterpret_cast<Info*>(buffer.data()) + i);
    return items;
}

BOOL ports(DWORD, BYTE* b, DWORD n, DWORD* need, DWORD* count) { return EnumPortsA(nullptr, 1, b, n, need, count); }
BOOL printers(DWORD, BYTE* b, DWORD n, DWORD* need, DWORD* count) {
    return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, b, n, need, count);
}
BOOL drivers(DWORD, BYTE* b, DWORD n, DWORD* need, DWORD* count) {
    return EnumPrinterDriversA(nullptr, const_cast<char*>(product::kEnvironment), 3, b, n, need, count);
}

void addFiles(Snapshot& s, const std::string& folder, const std::string& label) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    s.insert(label + " folder " + folder);
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            addFiles(s, folder + "\\" + name, label);
        } else {
            s.insert(label + " file " + folder + "\\" + name);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

void addKey(Snapshot& s, HKEY root, const char* rootName, const std::string& key) {
    HKEY h;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return;
    s.insert(std::string("key ") + rootName + "\\" + key);
    for (DWORD i = 0;; ++i) {
        char name[256], data[1024];
        DWORD nameLength = sizeof name, dataLength = sizeof data - 1, type = 0;
        if (RegEnumValueA(h, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataLength) !=
            ERROR_SUCCESS)
            break;
        data[dataLength] = '\0';
        std::string shown = "(type " + std::to_string(type) + ")";
        if (type == REG_SZ) shown = data;
        if (type == REG_DWORD && dataLength == sizeof(DWORD))
            shown = std::to_string(*reinterpret_cast<const DWORD*>(data)) + " (number)";
        s.insert(std::string("value ") + rootName + "\\" + key + "\\" + name + " = " + shown);
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(h, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        addKey(s, root, rootName, key + "\\" + name);
    }
    RegCloseKey(h);
}

std::string driverDirectory() {
    char dir[MAX_PATH] = "";
    DWORD needed = 0;
    GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(product::kEnvironment), 1, reinterpret_cast<BYTE*>(dir),
                               sizeof dir, &needed);
    return dir;
}

bool isProductFile(const std::string& name) {
    static const char* names[] = {"kpd_drv.dll", "kpd_ui.dll", "kpd_pnt.txt", "ORC_ProxyProcess.exe", "kpdcjk.bin",
                                  "ops_wordaddin.dll", "uninstall.exe", "OPSBatch.exe"};
    for (const char* n : names)
        if (lstrcmpiA(n, name.c_str()) == 0) return true;
    return false;
}

void addDriverFiles(Snapshot& s, const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && isProductFile(found.cFileName))
            s.insert("driver file " + folder + "\\" + found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

// Temporary copies of the uninstaller.
void addTempCopies(Snapshot& s) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((std::string(temp) + "Orl*.exe").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do s.insert(std::string("temp copy ") + found.cFileName);
    while (FindNextFileA(find, &found));
    FindClose(find);
}
}  // namespace

std::string programsFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    std::string s = path;
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

Snapshot capture(const std::vector<std::string>& installDirs) {
    Snapshot s;
    std::vector<BYTE> buffer;
    for (auto* p : enumerate<PORT_INFO_1A>(ports, buffer)) s.insert(std::string("port ") + p->pName);
    for (auto* p : enumerate<PRINTER_INFO_2A>(printers, buffer))
        s.insert(std::string("printer ") + p->pPrinterName + " | " + (p->pDriverName ? p->pDriverName : "") + " | " +
                 (p->pPortName ? p->pPortName : "") + " | " + (p->pPrintProcessor ? p->pPrintProcessor : "") + " | " +
                 (p->pDatatype ? p->pDatatype : ""));
    for (auto* d : enumerate<DRIVER_INFO_3A>(drivers, buffer)) s.insert(std::string("driver ") + d->pName);
    char defaultPrinter[512] = "";
    DWORD size = sizeof defaultPrinter;
    if (GetDefaultPrinterA(defaultPrinter, &size)) s.insert(std::string("default printer ") + defaultPrinter);

    addKey(s, HKEY_LOCAL_MACHINE, "HKLM", "Software\\Orlan Software");
    addKey(s, HKEY_CURRENT_USER, "HKCU", "Software\\Orlan Software");
    addKey(s, HKEY_LOCAL_MACHINE, "HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orlan Scribe");
    addKey(s, HKEY_LOCAL_MACHINE, "HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PDF Scribe");
    addKey(s, HKEY_CLASSES_ROOT, "HKCR", "OrlanPdfScribe.WordAddin");
    addKey(s, HKEY_CLASSES_ROOT, "HKCR", "CLSID\\{421D155A-6894-4AB1-98CE-072B22976797}");
    addKey(s, HKEY_CURRENT_USER, "HKCU", "Software\\Microsoft\\Office\\Word\\Addins");

    for (const std::string& dir : installDirs) addFiles(s, dir, "install");
    std::string drivers = driverDirectory();
    addDriverFiles(s, drivers);
    addDriverFiles(s, drivers + "\\3");
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        addFiles(s, programsFolder(csidl) + "\\Orlan PDF Scribe", "start menu");
        addFiles(s, programsFolder(csidl) + "\\Orlan Software", "start menu");
    }
    addTempCopies(s);
    return s;
}

std::vector<std::string> minus(const Snapshot& a, const Snapshot& b) {
    std::vector<std::string> lines;
    for (const std::string& line : a)
        if (!b.count(line)) lines.push_back(line);
    return lines;
}

std::string describe(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "  " + line + "\n";
    return text.empty() ? "  (nothing)\n" : text;
}

bool readShortcut(const std::string& link, std::string* target, std::string* description) {
    CoInitialize(nullptr);
    IShellLinkA* shellLink = nullptr;
    bool ok = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&shellLink)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                char path[MAX_PATH] = "", text[MAX_PATH] = "";
                shellLink->GetPath(path, MAX_PATH, nullptr, 0);
                shellLink->GetDescription(text, MAX_PATH);
                if (target) *target = path;
                if (description) *description = text;
                ok = true;
            }
            file->Release();
        }
        shellLink->Release();
    }
    CoUninitialize();
    return ok;
}

}  // namespace machine_state
