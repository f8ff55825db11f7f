#include "tests/support/spooler_support.h"
#include <winspool.h>
#include <algorithm>
#include "common/product.h"
#include <string.h>

namespace spooler_support {

namespace {
using product::kEnvironment;
const char* const kStagedFiles[] = {"kpd_drv.dll", "kpd_ui.dll", "kpd_pnt.txt"};

template <typename Info, typename Enum>
std::vector<BYTE> enumerate(Enum call, DWORD* count) {
    DWORD needed = 0;
    *count = 0;
    call(nullptr, 0, &needed, count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!call(buffer.data(), needed, &needed, count)) *count = 0;
    return buffer;
}
}  // namespace

std::string driverDirectory() {
    char path[MAX_PATH] = "";
    DWORD needed = 0;
    GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(kEnvironment), 1, reinterpret_cast<BYTE*>(path),
                               sizeof path, &needed);
    return path;
}
std::string driverFile(const char* name) { return driverDirectory() + "\\" + name; }
std::string versionFile(const char* name) { return driverDirectory() + "\\3\\" + name; }

std::vector<std::string> portNames() {
    DWORD count;
    std::vector<BYTE> buffer = enumerate<PORT_INFO_1A>(
        [](BYTE* b, DWORD s, DWORD* n, DWORD* c) { return EnumPortsA(nullptr, 1, b, s, n, c); }, &count);
    std::vector<std::string> names;
    const PORT_INFO_1A* ports = reinterpret_cast<const PORT_INFO_1A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) names.push_back(ports[i].pName);
    return names;
}

bool productPortListed() {
    const std::vector<std::string> ports = portNames();
    return std::find(ports.begin(), ports.end(), "ORLAN_PDF:") != ports.end();
}

bool addPortDirectly(const wchar_t* name) {
    typedef BOOL(WINAPI * XcvDataFn)(HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD, PDWORD);
    HMODULE winspool = LoadLibraryA("winspool.drv");
    XcvDataFn xcv = reinterpret_cast<XcvDataFn>(reinterpret_cast<void*>(GetProcAddress(winspool, "XcvDataW")));
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE monitor = nullptr;
    bool ok = false;
    if (xcv && OpenPrinterA(const_cast<char*>(", XcvMonitor Local Port"), &monitor, &defaults)) {
        DWORD needed = 0, status = 0;
        ok = xcv(monitor, L"AddPort", reinterpret_cast<PBYTE>(const_cast<wchar_t*>(name)),
                 (lstrlenW(name) + 1) * sizeof(wchar_t), nullptr, 0, &needed, &status) &&
             (status == 0 || status == ERROR_ALREADY_EXISTS);
        ClosePrinter(monitor);
    }
    FreeLibrary(winspool);
    return ok;
}

std::vector<std::string> driverNames() {
    DWORD count;
    std::vector<BYTE> buffer = enumerate<DRIVER_INFO_3A>(
        [](BYTE* b, DWORD s, DWORD* n, DWORD* c) {
            return EnumPrinterDriversA(nullptr, const_cast<char*>(kEnvironment), 3, b, s, n, c);
        },
        &count);
    std::vector<std::string> names;
    const DRIVER_INFO_3A* drivers = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) names.push_back(drivers[i].pName);
    return names;
}

bool driverRegistered(const char* name) {
    for (const std::string& n : driverNames())
        if (n == name) return true;
    return false;
}

std::string wineDriverKey(const char* name) {
    return std::string("System\\CurrentControlSet\\Control\\Print\\Environments\\") + kEnvironment +
           "\\Drivers\\Version-3\\" + name;
}

bool registerDriver(const std::string& folder, const char* name) {
    for (const char* file : kStagedFiles)
        if (!CopyFileA((folder + "\\" + file).c_str(), driverFile(file).c_str(), FALSE)) return false;
    DRIVER_INFO_3A info = {};
    std::string driverName = name;
    char drv[] = "kpd_drv.dll", ui[] = "kpd_ui.dll", data[] = "kpd_pnt.txt", empty[] = "", deps[2] = {0, 0};
    info.cVersion = 3;
    info.pName = &driverName[0];
    info.pEnvironment = const_cast<char*>(kEnvironment);
    info.pDriverPath = drv;
    info.pConfigFile = ui;
    info.pDataFile = data;
    info.pHelpFile = empty;
    info.pDependentFiles = deps;
    info.pDefaultDataType = empty;
    return AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info)) != FALSE;
}

bool deleteDriver(const char* name) {
    return DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(name)) != FALSE;
}

PrinterFacts printerFacts(const char* name) {
    PrinterFacts facts;
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name), &printer, nullptr)) return facts;
    DWORD needed = 0;
    GetPrinterA(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (GetPrinterA(printer, 2, buffer.data(), needed, &needed)) {
        const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
        facts.exists = true;
        facts.port = info->pPortName ? info->pPortName : "";
        facts.driver = info->pDriverName ? info->pDriverName : "";
        facts.processor = info->pPrintProcessor ? info->pPrintProcessor : "";
        facts.datatype = info->pDatatype ? info->pDatatype : "";
        facts.attributes = info->Attributes;
        facts.jobs = info->cJobs;
    }
    ClosePrinter(printer);
    return facts;
}

std::vector<std::string> printersOnDriver(const char* driver) {
    DWORD count;
    std::vector<BYTE> buffer = enumerate<PRINTER_INFO_2A>(
        [](BYTE* b, DWORD s, DWORD* n, DWORD* c) { return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, b, s, n, c); },
        &count);
    std::vector<std::string> names;
    const PRINTER_INFO_2A* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (!driver || (printers[i].pDriverName && strcmp(printers[i].pDriverName, driver) == 0))
            names.push_back(printers[i].pPrinterName);
    return names;
}

::testing::AssertionResult isProductPrinter(const PrinterFacts& facts) {
    if (!facts.exists) return ::testing::AssertionFailure() << "the product's printer is missing";
    if (facts.port == "ORLAN_PDF:" && facts.driver == "Orlan PDF Printer Driver" && facts.processor == "WinPrint" &&
        facts.datatype == "RAW")
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the product's printer is on port '" << facts.port << "', driver '"
                                         << facts.driver << "', processor '" << facts.processor << "', data type '"
                                         << facts.datatype << "'";
}

bool addPrinterOn(const char* name, const char* port, const char* driver) {
    std::string n = name, p = port, d = driver;
    char processor[] = "WinPrint", datatype[] = "RAW";
    PRINTER_INFO_2A info = {};
    info.pPrinterName = &n[0];
    info.pPortName = &p[0];
    info.pDriverName = &d[0];
    info.pPrintProcessor = processor;
    info.pDatatype = datatype;
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer) return false;
    ClosePrinter(printer);
    return true;
}

bool deletePrinterNamed(const char* name) {
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name), &printer, &defaults)) return false;
    BOOL ok = DeletePrinter(printer);
    ClosePrinter(printer);
    return ok != FALSE;
}

std::string defaultPrinter() {
    char name[512] = "";
    DWORD size = sizeof name;
    if (!GetDefaultPrinterA(name, &size)) return "";
    return name;
}

bool makeDefault(const char* name) { return SetDefaultPrinterA(name) != FALSE; }

void removeProduct() {
    for (const std::string& name : printersOnDriver("Orlan PDF Printer Driver")) deletePrinterNamed(name.c_str());
    deletePrinterNamed("Orlan PDF Printer");
    deleteDriver("Orlan PDF Printer Driver");
    for (const char* file : kStagedFiles) {
        SetFileAttributesA(driverFile(file).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(driverFile(file).c_str());
    }
}

void stageDriverFiles() {
    for (const char* file : kStagedFiles) testing_support::writeFile(driverFile(file), "staged");
}

int stagedDriverFiles(bool inVersionFolder) {
    int count = 0;
    for (const char* file : kStagedFiles)
        count += testing_support::fileExists(inVersionFolder ? versionFile(file) : driverFile(file));
    return count;
}

OtherPrinter::OtherPrinter(const std::string& folder, const char* name, const char* port)
    : name_(name), ready_(registerDriver(folder, kDriver) && addPrinterOn(name, port, kDriver)) {}

OtherPrinter::~OtherPrinter() {
    deletePrinterNamed(name_.c_str());
    deleteDriver(kDriver);
}

BoxAnswerer::BoxAnswerer(const char* caption, std::vector<int> answers, DWORD timeoutMs, std::string screenshotPath)
    : caption_(caption), answers_(std::move(answers)), timeoutMs_(timeoutMs), screenshotPath_(std::move(screenshotPath)) {
    thread_ = std::thread([this] {
        for (size_t i = 0; i < answers_.size(); ++i) {
            testing_support::MessageBoxInfo box =
                testing_support::findMessageBox(caption_.c_str(), timeoutMs_, [this] { return over_.load(); });
            if (!box.window) return;
            if (i == 0 && !screenshotPath_.empty()) testing_support::screenshot(screenshotPath_);
            HWND window = box.window;
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(answers_[i], BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, answers_[i])));
            testing_support::waitUntil([&] { return !IsWindow(window); }, 10000);
            seen_.push_back(box);
        }
    });
}

BoxAnswerer::~BoxAnswerer() { finish(); }

const std::vector<testing_support::MessageBoxInfo>& BoxAnswerer::finish() {
    over_ = true;
    if (thread_.joinable()) thread_.join();
    return seen_;
}

}  // namespace spooler_support
