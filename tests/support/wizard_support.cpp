#include "tests/support/wizard_support.h"
#include <commctrl.h>
#include <stdio.h>

namespace ts = testing_support;

namespace wizard {

const char kWizardCaption[] = "Orlan PDF Scribe Setup Wizard";
const char kQuitCaption[] = "Orlan PDF Scribe";
const char kQuitQuestion[] = "Are you sure you want to quit Orlan PDF Scribe Setup?";

const char* pageName(WizardPage page) {
    switch (page) {
    case WizardPage::Welcome: return "Welcome";
    case WizardPage::Licence: return "Licence";
    case WizardPage::SetupType: return "Setup type";
    case WizardPage::Destination: return "Destination";
    case WizardPage::Options: return "Options";
    case WizardPage::Summary: return "Summary";
    case WizardPage::Progress: return "Progress";
    case WizardPage::Finish: return "Finish";
    case WizardPage::Interrupted: return "Interrupted";
    }
    return "?";
}

// Each page is known by a control that only it has.
static bool isPage(HWND window, WizardPage page) {
    auto has = [&](int id) { return GetDlgItem(window, id) != nullptr; };
    switch (page) {
    case WizardPage::Welcome: return has(1028);
    case WizardPage::Licence: return has(1006);
    case WizardPage::SetupType: return has(1009);
    case WizardPage::Destination: return has(1014);
    case WizardPage::Options: return has(1016);
    case WizardPage::Summary: return has(1012);
    case WizardPage::Progress: return has(1020);
    case WizardPage::Finish: return has(1027);
    case WizardPage::Interrupted: return has(1005) && !has(1027);
    }
    return false;
}

std::string stagedSetupFolder(const char* prefix) {
    std::string folder = ts::makeTempDir(prefix);
    ts::stageDist(folder);
    return folder;
}

SetupRun::SetupRun(const std::string& folder, const std::string& program, const std::string& arguments) {
    const std::string exe = folder + "\\" + program;
    started_ = process_.start(exe, arguments.empty() ? "" : "\"" + exe + "\" " + arguments);
}

SetupRun::~SetupRun() {
    if (process_.running()) process_.kill();
}

int SetupRun::waitExit(DWORD timeoutMs) { return process_.wait(timeoutMs); }

namespace {
struct Search {
    DWORD pid;
    bool wizardPages;  // true: pages; false: other dialogs
    WizardPage page;
    bool anyPage;
    HWND found;
};

BOOL CALLBACK findTopLevel(HWND window, LPARAM lParam) {
    auto* s = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != s->pid || !IsWindowVisible(window)) return TRUE;
    char cls[32] = "", caption[128] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0) return TRUE;
    GetWindowTextA(window, caption, sizeof caption);
    bool wizardPage = lstrcmpA(caption, kWizardCaption) == 0;
    if (s->wizardPages) {
        if (wizardPage && (s->anyPage || isPage(window, s->page))) {
            s->found = window;
            return FALSE;
        }
    } else if (!wizardPage) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND SetupRun::waitPage(WizardPage page, DWORD timeoutMs) {
    Search s = {pid(), true, page, false, nullptr};
    ts::waitUntil([&] {
        s.found = nullptr;
        EnumWindows(findTopLevel, reinterpret_cast<LPARAM>(&s));
        return s.found != nullptr || !process_.running();
    }, timeoutMs);
    return s.found;
}

HWND SetupRun::advance(HWND page, int buttonId, WizardPage next, DWORD timeoutMs) {
    ts::press(page, buttonId);
    if (!ts::waitUntil([&] { return !IsWindow(page); }, timeoutMs)) return nullptr;
    return waitPage(next, timeoutMs);
}

HWND SetupRun::waitOtherDialog(DWORD timeoutMs) {
    Search s = {pid(), false, WizardPage::Welcome, false, nullptr};
    ts::waitUntil([&] {
        s.found = nullptr;
        EnumWindows(findTopLevel, reinterpret_cast<LPARAM>(&s));
        return s.found != nullptr;
    }, timeoutMs);
    return s.found;
}

HWND waitFinishAfterInstall(SetupRun& setup, DWORD timeoutMs) {
    HWND finish = nullptr;
    ts::waitUntil([&] {
        // Over an earlier installation the run first asks whether to go on.
        HWND box = FindWindowA("#32770", "Orlan PDF Scribe Setup");
        if (box && IsWindowVisible(box) && GetDlgItem(box, IDYES) &&
            ts::controlText(box, 0xFFFF).find("already installed") != std::string::npos)
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDYES)));
        finish = setup.waitPage(WizardPage::Finish, 0);
        return finish != nullptr || setup.waitPage(WizardPage::Interrupted, 0) != nullptr || !setup.running();
    }, timeoutMs, 100);
    return finish;
}

HWND toSetupType(SetupRun& setup, std::string* failure) {
    auto fail = [&](const char* where) -> HWND {
        if (failure) *failure = where;
        return nullptr;
    };
    if (!setup.started()) return fail("setup.exe did not start");
    HWND page = setup.waitPage(WizardPage::Welcome, 60000);
    if (!page) return fail("no Welcome page");
    if (!(page = setup.advance(page, 1001, WizardPage::Licence))) return fail("no Licence page after Next");
    if (!(page = setup.advance(page, 1006, WizardPage::SetupType))) return fail("no Setup type page after I agree");
    return page;
}

int runDefaultRoad(const std::string& folder, std::string* failure, const std::string& arguments) {
    SetupRun setup(folder, "setup.exe", arguments);
    auto fail = [&](const char* where) {
        if (failure && where) *failure = where;
        setup.kill();
        return -1;
    };
    HWND page = toSetupType(setup, failure);
    if (!page) return fail(nullptr);
    if (!(page = setup.advance(page, 1009, WizardPage::Summary))) return fail("no Summary page after Default");
    ts::press(page, 1012);
    page = waitFinishAfterInstall(setup);
    if (!page) return fail("no Finish page after the run");
    ts::press(page, 1005);
    int code = setup.waitExit(20000);
    if (code == -1) return fail("setup did not end after Finish");
    return code;
}

bool answerQuitQuestion(int buttonId, DWORD timeoutMs) {
    ts::MessageBoxInfo box = ts::findMessageBox(kQuitCaption, timeoutMs);
    if (!box.window || box.text != kQuitQuestion) return false;
    ts::answerMessageBox(kQuitCaption, buttonId, 5000);
    return true;
}

namespace {
// Memory inside another process, freed with the object.
class RemoteMemory {
public:
    RemoteMemory(HWND window, size_t size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                               FALSE, pid);
        if (process_) base_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteMemory() {
        if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    bool ok() const { return base_ != nullptr; }
    char* at(size_t offset) const { return base_ + offset; }
    bool write(size_t offset, const void* data, size_t size) const {
        return WriteProcessMemory(process_, base_ + offset, data, size, nullptr) != FALSE;
    }
    bool read(size_t offset, void* data, size_t size) const {
        return ReadProcessMemory(process_, base_ + offset, data, size, nullptr) != FALSE;
    }

private:
    HANDLE process_ = nullptr;
    char* base_ = nullptr;
};
const size_t kTextOffset = 512;
const int kTextRoom = 256;

// Sends a request whose record (at the block's start) points its text buffer
// at kTextOffset, and returns the text the control wrote there.
std::string remoteText(HWND control, const RemoteMemory& remote, UINT message, WPARAM wParam, const void* record,
                       size_t size) {
    char text[kTextRoom] = "";
    remote.write(kTextOffset, text, sizeof text);
    remote.write(0, record, size);
    SendMessageA(control, message, wParam, reinterpret_cast<LPARAM>(remote.at(0)));
    remote.read(kTextOffset, text, sizeof text);
    text[kTextRoom - 1] = '\0';
    return text;
}
}  // namespace

std::vector<std::vector<std::string>> listViewRows(HWND list, int columns) {
    std::vector<std::vector<std::string>> rows;
    RemoteMemory remote(list, 4096);
    if (!remote.ok()) return rows;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> texts;
        for (int column = 0; column < columns; ++column) {
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = remote.at(kTextOffset);
            item.cchTextMax = kTextRoom;
            texts.push_back(remoteText(list, remote, LVM_GETITEMTEXTA, row, &item, sizeof item));
        }
        rows.push_back(texts);
    }
    return rows;
}

HTREEITEM treeChildNamed(HWND tree, HTREEITEM parent, const std::string& name) {
    RemoteMemory remote(tree, 4096);
    if (!remote.ok()) return nullptr;
    LPARAM first = SendMessageA(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT,
                                reinterpret_cast<LPARAM>(parent));
    for (HTREEITEM item = reinterpret_cast<HTREEITEM>(first); item;
         item = reinterpret_cast<HTREEITEM>(
             SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        TVITEMA info = {};
        info.mask = TVIF_TEXT;
        info.hItem = item;
        info.pszText = remote.at(kTextOffset);
        info.cchTextMax = kTextRoom;
        if (remoteText(tree, remote, TVM_GETITEMA, 0, &info, sizeof info) == name) return item;
    }
    return nullptr;
}

std::vector<std::string> listViewHeadings(HWND list, int columns) {
    std::vector<std::string> headings;
    RemoteMemory remote(list, 4096);
    if (!remote.ok()) return headings;
    for (int column = 0; column < columns; ++column) {
        LVCOLUMNA info = {};
        info.mask = LVCF_TEXT;
        info.pszText = remote.at(kTextOffset);
        info.cchTextMax = kTextRoom;
        headings.push_back(remoteText(list, remote, LVM_GETCOLUMNA, column, &info, sizeof info));
    }
    return headings;
}

LRESULT sendWithRemoteData(HWND window, UINT message, WPARAM wParam, void* data, size_t size) {
    RemoteMemory remote(window, size + 16);
    if (!remote.ok() || !remote.write(0, data, size)) return 0;
    LRESULT result = SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(remote.at(0)));
    remote.read(0, data, size);
    return result;
}

bool realClick(int x, int y) {
    // Hardware input through the window server: it goes to whatever window
    // lies under the pointer, with hit-testing, activation and capture.
    // The move goes with the buttons, so that the press cannot land where
    // the pointer was before the window server took the move.
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    if (width < 2 || height < 2) return false;
    INPUT clicks[3] = {};
    for (INPUT& input : clicks) {
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(x, 65535, width - 1);
        input.mi.dy = MulDiv(y, 65535, height - 1);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE;
    }
    clicks[0].mi.dwFlags |= MOUSEEVENTF_MOVE;
    clicks[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    clicks[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    if (SendInput(1, clicks, sizeof(INPUT)) != 1) return false;
    POINT at = {};
    if (!ts::waitUntil([&] { return GetCursorPos(&at) && at.x == x && at.y == y; }, 2000, 5)) return false;
    return SendInput(2, clicks + 1, sizeof(INPUT)) == 2;
}

}  // namespace wizard
