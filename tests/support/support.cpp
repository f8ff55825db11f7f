#include "tests/support/support.h"
#include <gtest/gtest.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>
#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include "common/product.h"
#include "common/text.h"

namespace testing_support {

std::string distDir() { return ORLAN_DIST_DIR; }
std::string distFile(const char* name) { return distDir() + "\\" + name; }

std::string outputDir(const char* sub) {
    std::string path = std::string(ORLAN_BINARY_DIR) + "\\" + sub;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

std::string makeTempDir(const char* prefix) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    for (int n = 0;; ++n) {
        char path[MAX_PATH];
        snprintf(path, sizeof path, "%s%s%lu_%d", temp, prefix, GetTickCount(), n);
        if (CreateDirectoryA(path, nullptr)) return path;
    }
}

void stageDist(const std::string& folder, const std::vector<std::string>& skip) {
    CreateDirectoryA(folder.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((distDir() + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        bool skipped = false;
        for (const std::string& s : skip)
            if (lstrcmpiA(s.c_str(), found.cFileName) == 0) skipped = true;
        if (!skipped) CopyFileA(distFile(found.cFileName).c_str(), (folder + "\\" + found.cFileName).c_str(), FALSE);
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

bool fileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void removeTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

std::string readFile(const std::string& path) {
    std::string data;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return data;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) data.append(chunk, n);
    fclose(f);
    return data;
}

void writeFile(const std::string& path, const std::string& contents) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    fwrite(contents.data(), 1, contents.size(), f);
    fclose(f);
}

std::string unixPathOf(const std::string& path) {
    typedef char*(CDECL * UnixNameFn)(LPCWSTR);
    UnixNameFn unixName = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH];
    if (!unixName || MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) <= 0) return "";
    char* converted = unixName(wide);
    if (!converted) return "";
    std::string result = converted;
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

namespace {
// A Unix program with the Unix forms of Windows paths as its arguments; true
// once done() holds.
bool runUnix(const char* program, const char* options, std::vector<std::string> paths,
             const std::function<bool()>& done) {
    std::string line = std::string(program) + " " + options;
    for (const std::string& path : paths) {
        const std::string converted = unixPathOf(path);
        if (converted.empty()) return false;
        line += " \"" + converted + "\"";
    }
    std::string windowsPath = std::string("Z:") + program;  // Wine's drive for the Unix root
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    Process unix;
    return unix.start(windowsPath, line) && waitUntil(done, 10000);
}
}  // namespace

bool makeFolderLink(const std::string& link, const std::string& target) {
    return runUnix("/bin/ln", "-s", {target, link}, [&] {
        DWORD attributes = GetFileAttributesA(link.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    });
}

void removeFolderLink(const std::string& link) {
    runUnix("/bin/rm", "-f", {link}, [&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

std::string plantFile(const char* name) { return std::string(ORLAN_PLANT_DIR) + "\\" + name; }

PlantMarks::PlantMarks() : folder_(makeTempDir("marks")) {
    SetEnvironmentVariableA("ORLAN_PLANT_MARKS", folder_.c_str());
}

PlantMarks::~PlantMarks() {
    SetEnvironmentVariableA("ORLAN_PLANT_MARKS", nullptr);
    removeTree(folder_);
}

std::vector<std::string> PlantMarks::read(bool remove) const {
    std::vector<std::string> marks;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder_ + "\\*.mark").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return marks;
    do {
        const std::string path = folder_ + "\\" + found.cFileName;
        marks.push_back(readFile(path));
        if (remove) DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return marks;
}

bool regValue(HKEY root, const char* key, const char* name, std::string* data, DWORD* type) {
    HKEY h;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return false;
    DWORD t = 0, size = 0;
    bool ok = RegQueryValueExA(h, name, nullptr, &t, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        std::string buffer(size, '\0');
        ok = RegQueryValueExA(h, name, nullptr, &t, reinterpret_cast<BYTE*>(&buffer[0]), &size) == ERROR_SUCCESS;
        buffer.resize(size);
        if (data) *data = buffer;
        if (type) *type = t;
    }
    RegCloseKey(h);
    return ok;
}

bool regKeyExists(HKEY root, const char* key) {
    HKEY h;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

void regDeleteTree(HKEY root, const char* key) {
    HKEY h;
    if (RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) {
        RegDeleteKeyA(root, key);  // a link whose target is gone
        return;
    }
    char name[256], last[256] = "";
    for (;;) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(h, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (strcmp(name, last) == 0) break;  // it would not go
        strcpy(last, name);
        regDeleteTree(h, name);
    }
    RegCloseKey(h);
    RegDeleteKeyA(root, key);
}

bool regSet(HKEY root, const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY h;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) != ERROR_SUCCESS) return false;
    bool set = RegSetValueExA(h, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(h);
    return set;
}

bool regSetText(HKEY root, const char* key, const char* name, const std::string& value) {
    return regSet(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void regDeleteValue(HKEY root, const char* key, const char* name) {
    HKEY h;
    if (RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS) return;
    RegDeleteValueA(h, name);
    RegCloseKey(h);
}

std::string programsFolder(bool allUsers) {
    char path[MAX_PATH] = "";
    int csidl = (allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS) | CSIDL_FLAG_CREATE;
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path))) return "";
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return done();
        // Keeps this thread's own windows (if any) responsive while waiting.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(stepMs);
    }
    return true;
}

Process::~Process() {
    if (info_.hProcess) CloseHandle(info_.hProcess);
    if (info_.hThread) CloseHandle(info_.hThread);
}

bool Process::start(const std::string& exe, const std::string& commandLine, const std::string& workDir) {
    std::string line = commandLine.empty() ? "\"" + exe + "\"" : commandLine;
    std::string dir = workDir;
    if (dir.empty()) {
        const char* cut = text::lastSeparator(exe.c_str());
        dir = exe.substr(0, cut ? cut - exe.c_str() : std::string::npos);
    }
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    return CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &info_) !=
           FALSE;
}

int Process::wait(DWORD timeoutMs) {
    if (!info_.hProcess) return -1;
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<int>(code);
}

bool Process::running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

void Process::kill() {
    if (running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

HWND findWindow(const char* cls, const char* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    waitUntil([&] {
        found = FindWindowA(cls, caption);
        return found && IsWindowVisible(found);
    }, timeoutMs);
    return found && IsWindowVisible(found) ? found : nullptr;
}

std::string windowText(HWND window) {
    if (!window) return "";
    char buffer[4096] = "";
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                        &result);
    return buffer;
}

HWND control(HWND dialog, int id) { return GetDlgItem(dialog, id); }
std::string controlText(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }
bool isEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool isChecked(HWND dialog, int id) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    return result == BST_CHECKED;
}

RECT windowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

void press(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void command(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

static BOOL CALLBACK collectButtons(HWND child, LPARAM lParam) {
    char cls[32];
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") == 0 && IsWindowVisible(child))
        reinterpret_cast<std::vector<int>*>(lParam)->push_back(GetDlgCtrlID(child));
    return TRUE;
}

namespace {
// What the box watchdog leaves alone: the captions that threads are looking
// for now, and the boxes handed to callers, with the tick they got them.
std::mutex awaitedLock;
std::multiset<std::string> searches;
std::map<HWND, DWORD> handedOut;
// A box handed to a caller is its to answer for this long.
const DWORD kHandedOutMs = 60000;

class Search {
public:
    explicit Search(const char* caption) {
        std::lock_guard<std::mutex> hold(awaitedLock);
        at_ = searches.insert(caption);
    }
    ~Search() {
        std::lock_guard<std::mutex> hold(awaitedLock);
        searches.erase(at_);
    }
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

private:
    std::multiset<std::string>::iterator at_;
};

bool awaited(HWND box, const std::string& caption, DWORD now) {
    std::lock_guard<std::mutex> hold(awaitedLock);
    if (searches.count(caption)) return true;
    auto handed = handedOut.find(box);
    return handed != handedOut.end() && now - handed->second < kHandedOutMs;
}

MessageBoxInfo describeBox(HWND box) {
    MessageBoxInfo info;
    info.window = box;
    // The box's text is the static control 0xFFFF.
    waitUntil([&] { return GetDlgItem(box, 0xFFFF) != nullptr; }, 2000);
    info.text = controlText(box, 0xFFFF);
    EnumChildWindows(box, collectButtons, reinterpret_cast<LPARAM>(&info.buttons));
    return info;
}

// The product's message boxes on this test program's desktop, with their captions.
BOOL CALLBACK collectProductBoxes(HWND window, LPARAM lParam) {
    char cls[16] = "", caption[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    GetWindowTextA(window, caption, sizeof caption);
    for (const char* product : {product::kBoxCaption, product::kSetupBoxCaption, product::kUninstallBoxCaption})
        if (lstrcmpA(caption, product) == 0)
            reinterpret_cast<std::map<HWND, std::string>*>(lParam)->emplace(window, caption);
    return TRUE;
}

std::map<HWND, std::string> productBoxes() {
    std::map<HWND, std::string> boxes;
    EnumWindows(collectProductBoxes, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

// Watches for product boxes while each test runs. Boxes already up when the
// test starts belong to the test before it and are left alone.
class StrayBoxWatchdog : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        stop_ = false;
        thread_ = std::thread([this] { watch(); });
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        std::lock_guard<std::mutex> hold(awaitedLock);
        handedOut.clear();
    }

    void watch() {
        std::map<HWND, DWORD> unawaitedSince;
        std::set<HWND> earlier;
        for (const auto& box : productBoxes()) earlier.insert(box.first);
        while (!stop_) {
            const DWORD now = GetTickCount();
            std::map<HWND, DWORD> still;
            for (const auto& box : productBoxes()) {
                if (earlier.count(box.first) || awaited(box.first, box.second, now)) continue;
                auto since = unawaitedSince.find(box.first);
                const DWORD first = since == unawaitedSince.end() ? now : since->second;
                if (now - first < kStrayBoxGraceMs) {
                    still[box.first] = first;
                    continue;
                }
                MessageBoxInfo info = describeBox(box.first);
                ADD_FAILURE() << "a message box that nobody answered, closed after " << kStrayBoxGraceMs
                              << " ms: \"" << box.second << "\": " << info.text;
                const int last = info.buttons.empty() ? IDCANCEL : info.buttons.back();
                PostMessageA(box.first, WM_COMMAND, MAKEWPARAM(last, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(box.first, last)));
                earlier.insert(box.first);
            }
            unawaitedSince.swap(still);
            Sleep(100);
        }
    }

    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Installed before main() runs any test (gtest_main starts the tests).
[[maybe_unused]] const bool watchdogInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new StrayBoxWatchdog);
    return true;
}();
}  // namespace

MessageBoxInfo findMessageBox(const char* caption, DWORD timeoutMs, const std::function<bool()>& until) {
    Search search(caption);
    HWND found = nullptr;
    waitUntil([&] {
        found = FindWindowA("#32770", caption);
        if (found && !IsWindowVisible(found)) found = nullptr;
        return found || (until && until());
    }, timeoutMs);
    if (!found) return MessageBoxInfo();
    {
        std::lock_guard<std::mutex> hold(awaitedLock);
        handedOut[found] = GetTickCount();
    }
    return describeBox(found);
}

MessageBoxInfo answerMessageBox(const char* caption, int buttonId, DWORD timeoutMs) {
    MessageBoxInfo info = findMessageBox(caption, timeoutMs);
    if (!info.window) return info;
    HWND box = info.window;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
    waitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10000);
    return info;
}

bool screenshot(const std::string& path, HWND window) {
    RECT r = {};
    if (window) {
        // A window that has gone meanwhile gives no picture.
        if (!GetWindowRect(window, &r)) return false;
    } else {
        r.left = r.top = 0;
        r.right = GetSystemMetrics(SM_CXSCREEN);
        r.bottom = GetSystemMetrics(SM_CYSCREEN);
    }
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) DeleteObject(dib);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return false;
    }
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    DWORD stride = ((w * 3) + 3) & ~3u;
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + stride * h;
    FILE* f = fopen(path.c_str(), "wb");
    bool ok = f != nullptr;
    if (f) {
        fwrite(&fh, sizeof fh, 1, f);
        fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
        fwrite(bits, stride, h, f);
        fclose(f);
    }
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

COLORREF screenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

void setProgramVersion(const char* exeName, const char* version) {
    std::string key = std::string("Software\\Wine\\AppDefaults\\") + exeName;
    if (!version || !*version) {
        regDeleteTree(HKEY_CURRENT_USER, key.c_str());
        return;
    }
    regSetText(HKEY_CURRENT_USER, key.c_str(), "Version", version);
}

}  // namespace testing_support

namespace testing_support {
namespace {
struct ProcessWindows {
    DWORD pid;
    int visible;
};
BOOL CALLBACK countVisible(HWND window, LPARAM lParam) {
    auto* p = reinterpret_cast<ProcessWindows*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == p->pid && IsWindowVisible(window)) ++p->visible;
    return TRUE;
}
}  // namespace

int visibleWindowsOf(DWORD pid) {
    ProcessWindows p = {pid, 0};
    EnumWindows(countVisible, reinterpret_cast<LPARAM>(&p));
    return p.visible;
}

bool isProductProgram(const std::string& exe) {
    auto is = [&](const char* name) { return lstrcmpiA(exe.c_str(), name) == 0; };
    return is("setup.exe") || is("uninstall.exe") ||
           (exe.size() > 7 &&
            CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, exe.c_str(), 3, "Orl", 3) == CSTR_EQUAL &&
            lstrcmpiA(exe.c_str() + exe.size() - 4, ".exe") == 0);
}

int runWithoutWindows(const std::string& exe, const std::string& arguments, DWORD timeoutMs,
                      const std::function<bool()>& alsoWaitFor) {
    WindowWatcher watcher(isProductProgram);
    Process process;
    if (!process.start(exe, "\"" + exe + "\" " + arguments)) return -2;
    int code = process.wait(timeoutMs);
    if (alsoWaitFor) {
        EXPECT_TRUE(waitUntil(alsoWaitFor, timeoutMs, 50)) << arguments;
    }
    EXPECT_EQ(std::vector<std::string>{}, watcher.finish()) << arguments;
    EXPECT_GE(watcher.processesSeen(), 1u) << "the watch saw no program of the product";
    return code;
}

HWND frontWindowOfOurs() {
    HWND window = CreateWindowExA(0, "Static", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!window) return nullptr;
    SetForegroundWindow(window);
    if (waitUntil([&] { return GetForegroundWindow() == window; }, 3000)) return window;
    DestroyWindow(window);
    return nullptr;
}

WindowWatcher::WindowWatcher(std::function<bool(const std::string&)> watched)
    : watched_(std::move(watched)), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = CreateThread(
        nullptr, 0,
        [](LPVOID self) -> DWORD {
            auto* watcher = static_cast<WindowWatcher*>(self);
            do watcher->look();
            while (WaitForSingleObject(watcher->stop_, 2) == WAIT_TIMEOUT);
            watcher->look();  // what came up just before the end
            return 0;
        },
        this, 0, nullptr);
}

WindowWatcher::~WindowWatcher() { finish(); }

std::vector<std::string> WindowWatcher::finish() {
    if (thread_) {
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(stop_);
        thread_ = nullptr;
    }
    return seen_;
}

void WindowWatcher::look() {
    // A process is matched by name once; its windows are looked for as long
    // as it runs.
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    std::vector<std::pair<DWORD, std::string>> running;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        const char* slash = strrchr(entry.szExeFile, '\\');
        std::string name = slash ? slash + 1 : entry.szExeFile;
        if (entry.th32ProcessID == GetCurrentProcessId() || !watched_(name)) continue;
        running.emplace_back(entry.th32ProcessID, name);
        if (std::find(processes_.begin(), processes_.end(), entry.th32ProcessID) == processes_.end())
            processes_.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    if (running.empty()) return;
    struct Look {
        WindowWatcher* watcher;
        const std::vector<std::pair<DWORD, std::string>>* running;
    } look = {this, &running};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* l = reinterpret_cast<Look*>(lParam);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            for (const auto& process : *l->running) {
                if (process.first != pid) continue;
                auto& known = l->watcher->windows_;
                if (std::find(known.begin(), known.end(), window) != known.end()) break;
                known.push_back(window);
                char cls[128] = "", title[256] = "";
                GetClassNameA(window, cls, sizeof cls);
                GetWindowTextA(window, title, sizeof title);
                l->watcher->seen_.push_back(process.second + ": " + cls + " \"" + title + "\"" +
                                            (IsWindowVisible(window) ? "" : " (hidden)"));
                break;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&look));
}

}  // namespace testing_support
