#include "tests/support/spooler_support.h"
#include <winspool.h>
#include <algorithm>
#include "common/product.h"
#include <string.h>

namespace spooler_support {

namespace {
using product::kEnvironment;
const char* const kStagedFiles[] = {"kpd_drv.dll", "kpd_ui.dll", "kpd_pnt.txt"};

// The names of what an Enum* call lists, of the entries that keep passes.
template <typename Info, typename Enum, typename Keep>
std::vector<std::string> listed(Enum call, char* Info::*name, Keep keep) {
    DWORD needed = 0, count = 0;
    call(nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    std::vector<std::string> names;
    if (!call(buffer.data(), needed, &needed, &count)) return names;
    const Info* entries = reinterpret_cast<const Info*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (keep(entries[i])) names.push_back(entries[i].*name);
    return names;
}
template <typename Info>
bool every(const Info&) {
    return true;
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
    auto call = [](BYTE* b, DWORD s, DWORD* n, DWORD* c) { return EnumPortsA(nullptr, 1, b, s, n, c); };
    return listed(call, &PORT_INFO_1A::pName, every<PORT_INFO_1A>);
}

bool productPortListed() {
    const std::vector<std::string> ports = portNames();
    return std::find(ports.begin(), ports.end(), "ORLAN_PDF:") != ports.end();
}

bool addPortDirectly(const wchar_t* name) {
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE monitor = nullptr;
    if (!OpenPrinterA(const_cast<char*>(", XcvMonitor Local Port"), &monitor, &defaults)) return false;
    DWORD needed = 0, status = 0;
    bool ok = XcvDataW(monitor, L"AddPort", reinterpret_cast<PBYTE>(const_cast<wchar_t*>(name)),
                       (lstrlenW(name) + 1) * sizeof(wchar_t), nullptr, 0, &needed, &status) &&
              (status == 0 || status == ERROR_ALREADY_EXISTS);
    ClosePrinter(monitor);
    return ok;
}

std::vector<std::string> driverNames() {
    auto call = [](BYTE* b, DWORD s, DWORD* n, DWORD* c) {
        return EnumPrinterDriversA(nullptr, const_cast<char*>(kEnvironment), 3, b, s, n, c);
    };
    return listed(call, &DRIVER_INFO_3A::pName, every<DRIVER_INFO_3A>);
}

bool driverRegistered(const char* name) {
    const std::vector<std::string> names = driverNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string wineDriverKey(const char* name) {
    return std::string("System\\CurrentControlSet\\Control\\Print\\Environments\\") + kEnvironment +
           "\\Drivers\\Version-3\\" + name;
}

bool registerDriver(const std::string& folder, const char* name) {
    for (const char* file : kStagedFiles)
        if (!CopyFileA((folder + "\\" + file).c_str(), driverFile(file).c_str(), FALSE)) return false;
    std::string driverName = name;
    char drv[] = "kpd_drv.dll", ui[] = "kpd_ui.dll", data[] = "kpd_pnt.txt", empty[] = "", deps[2] = {0, 0};
    DRIVER_INFO_3A info = {3, &driverName[0], const_cast<char*>(kEnvironment), drv, data, ui, empty, deps, nullptr,
                           empty};
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
    }
    ClosePrinter(printer);
    return facts;
}

std::vector<std::string> printersOnDriver(const char* driver) {
    auto call = [](BYTE* b, DWORD s, DWORD* n, DWORD* c) {
        return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, b, s, n, c);
    };
    return listed(call, &PRINTER_INFO_2A::pPrinterName, [driver](const PRINTER_INFO_2A& printer) {
        return !driver || (printer.pDriverName && strcmp(printer.pDriverName, driver) == 0);
    });
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
    return printer && ClosePrinter(printer);
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
    return GetDefaultPrinterA(name, &size) ? name : "";
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

::testing::AssertionResult showed(const std::vector<testing_support::MessageBoxInfo>& boxes,
                                  const std::vector<std::string>& texts, const std::vector<int>& buttons) {
    if (boxes.size() != texts.size())
        return ::testing::AssertionFailure() << boxes.size() << " boxes came, not " << texts.size();
    for (size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i].text != texts[i] || boxes[i].buttons != buttons)
            return ::testing::AssertionFailure() << "box " << i << " said \"" << boxes[i].text << "\" with buttons "
                                                 << ::testing::PrintToString(boxes[i].buttons);
    return ::testing::AssertionSuccess();
}

}  // namespace spooler_support
