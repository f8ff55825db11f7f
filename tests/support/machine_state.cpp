#include "tests/support/machine_state.h"
#include <windows.h>
#include "tests/support/spooler_support.h"
#include "tests/support/support.h"
#include "tests/support/uninstall_support.h"

namespace ts = testing_support;

namespace machine_state {
namespace {

bool isProductFile(const std::string& name) {
    static const char* names[] = {"kpd_drv.dll", "kpd_ui.dll", "kpd_pnt.txt", "ORC_ProxyProcess.exe", "kpdcjk.bin",
                                  "ops_wordaddin.dll", "uninstall.exe", "OPSBatch.exe"};
    for (const char* n : names)
        if (lstrcmpiA(n, name.c_str()) == 0) return true;
    return false;
}

// Lines for folder and everything in it; but with productOnly no line for
// the folder and only those of the product's file names in it.
void addFiles(Snapshot& s, const std::string& folder, const std::string& label, bool productOnly = false) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    if (!productOnly) s.insert(label + " folder " + folder);
    do {
        std::string name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (!productOnly || isProductFile(name)) s.insert(label + " file " + folder + "\\" + name);
        } else if (!productOnly && name != "." && name != "..") {
            addFiles(s, folder + "\\" + name, label);
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

}  // namespace

Snapshot capture(const std::vector<std::string>& installDirs) {
    namespace sp = spooler_support;
    Snapshot s;
    for (const std::string& port : sp::portNames()) s.insert("port " + port);
    for (const std::string& printer : sp::printersOnDriver(nullptr)) {
        sp::PrinterFacts p = sp::printerFacts(printer.c_str());
        s.insert("printer " + printer + " | " + p.driver + " | " + p.port + " | " + p.processor + " | " + p.datatype);
    }
    for (const std::string& driver : sp::driverNames()) s.insert("driver " + driver);
    if (!sp::defaultPrinter().empty()) s.insert("default printer " + sp::defaultPrinter());

    addKey(s, HKEY_LOCAL_MACHINE, "HKLM", "Software\\Orlan Software");
    addKey(s, HKEY_CURRENT_USER, "HKCU", "Software\\Orlan Software");
    addKey(s, HKEY_LOCAL_MACHINE, "HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orlan Scribe");
    addKey(s, HKEY_LOCAL_MACHINE, "HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PDF Scribe");
    addKey(s, HKEY_CLASSES_ROOT, "HKCR", "OrlanPdfScribe.WordAddin");
    addKey(s, HKEY_CLASSES_ROOT, "HKCR", "CLSID\\{421D155A-6894-4AB1-98CE-072B22976797}");
    addKey(s, HKEY_CURRENT_USER, "HKCU", "Software\\Microsoft\\Office\\Word\\Addins");

    for (const std::string& dir : installDirs) addFiles(s, dir, "install");
    std::string drivers = sp::driverDirectory();
    addFiles(s, drivers, "driver", true);
    addFiles(s, drivers + "\\3", "driver", true);
    for (bool allUsers : {true, false}) {
        addFiles(s, ts::programsFolder(allUsers) + "\\Orlan PDF Scribe", "start menu");
        addFiles(s, ts::programsFolder(allUsers) + "\\Orlan Software", "start menu");
    }
    // Temporary copies of the uninstaller.
    for (const std::string& copy : uninstall_support::tempCopies())
        s.insert("temp copy " + copy.substr(copy.rfind('\\') + 1));
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

}  // namespace machine_state
