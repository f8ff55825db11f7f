#include "tests/support/wizard_support.h"
#include <commctrl.h>
#include <functional>

namespace ts = testing_support;

namespace wizard {

const char kQuitCaption[] = "Orlan PDF Scribe";

namespace {
const char kWizardCaption[] = "Orlan PDF Scribe Setup Wizard";
const char kQuitQuestion[] = "Are you sure you want to quit Orlan PDF Scribe Setup?";

// Each page's name and a control that only it has; the Interrupted page has
// Finish without the Finish page's check box (1027).
const struct {
    const char* name;
    int control;
} kPages[] = {{"Welcome", 1028}, {"Licence", 1006},  {"Setup type", 1009}, {"Destination", 1014}, {"Options", 1016},
              {"Summary", 1012}, {"Progress", 1020}, {"Finish", 1027},     {"Interrupted", 1005}};

bool isPage(HWND window, WizardPage page) {
    return GetDlgItem(window, kPages[static_cast<int>(page)].control) &&
           (page != WizardPage::Interrupted || !GetDlgItem(window, 1027));
}

// A visible dialog of process pid that wanted takes, told whether it is a page.
struct Search {
    DWORD pid;
    std::function<bool(HWND dialog, bool wizardPage)> wanted;
    HWND found;
};

BOOL CALLBACK findTopLevel(HWND window, LPARAM lParam) {
    auto* s = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char cls[32] = "", caption[128] = "";
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, caption, sizeof caption);
    if (owner != s->pid || !IsWindowVisible(window) || lstrcmpA(cls, "#32770") != 0 ||
        !s->wanted(window, lstrcmpA(caption, kWizardCaption) == 0))
        return TRUE;
    s->found = window;
    return FALSE;
}

// Waits for such a dialog, or until stop holds; null when none came.
HWND waitDialog(Search s, DWORD timeoutMs, const std::function<bool()>& stop) {
    ts::waitUntil([&] {
        s.found = nullptr;
        EnumWindows(findTopLevel, reinterpret_cast<LPARAM>(&s));
        return s.found != nullptr || stop();
    }, timeoutMs);
    return s.found;
}
}  // namespace

const char* pageName(WizardPage page) { return kPages[static_cast<int>(page)].name; }

std::string stagedSetupFolder(const char* prefix) {
    std::string folder = ts::makeTempDir(prefix);
    ts::stageDist(folder);
    return folder;
}

std::string* StagedSetupTest::folder;

SetupRun::SetupRun(const std::string& folder, const std::string& program, const std::string& arguments) {
    const std::string exe = folder + "\\" + program;
    started_ = process_.start(exe, arguments.empty() ? "" : "\"" + exe + "\" " + arguments);
}

SetupRun::~SetupRun() {
    if (process_.running()) process_.kill();
}

int SetupRun::waitExit(DWORD timeoutMs) { return process_.wait(timeoutMs); }

HWND SetupRun::waitPage(WizardPage page, DWORD timeoutMs) {
    return waitDialog({pid(), [&](HWND dialog, bool wizardPage) { return wizardPage && isPage(dialog, page); }},
                      timeoutMs, [&] { return !running(); });
}

HWND SetupRun::advance(HWND page, int buttonId, WizardPage next, DWORD timeoutMs) {
    ts::press(page, buttonId);
    if (!ts::waitUntil([&] { return !IsWindow(page); }, timeoutMs)) return nullptr;
    return waitPage(next, timeoutMs);
}

HWND SetupRun::waitOtherDialog(DWORD timeoutMs) {
    return waitDialog({pid(), [](HWND, bool wizardPage) { return !wizardPage; }}, timeoutMs, [] { return false; });
}

HWND SetupRun::quitToInterrupted(HWND page, int button) {
    if (button == IDCANCEL)
        ts::command(page, IDCANCEL);
    else if (button == 0)
        PostMessageA(page, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    else
        ts::press(page, button);
    return answerQuitQuestion(IDYES) ? waitPage(WizardPage::Interrupted) : nullptr;
}

bool SetupRun::quit(HWND page, int button) {
    HWND interrupted = quitToInterrupted(page, button);
    if (!interrupted) return false;
    ts::press(interrupted, 1005);
    return waitExit(15000) == 0;
}

bool SetupRun::endsWithoutQuestion(DWORD timeoutMs) {
    bool asked = false;
    ts::waitUntil([&] {
        if (FindWindowA("#32770", kQuitCaption)) asked = true;
        return !running();
    }, timeoutMs);
    return !asked && !running();
}

bool endsWithoutAWindow(const ts::Process& process, DWORD timeoutMs) {
    bool shown = false;
    ts::waitUntil([&] {
        if (ts::visibleWindowsOf(process.id()) > 0) shown = true;
        return !process.running();
    }, timeoutMs, 5);
    return !shown && !process.running();
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

HWND toDestination(SetupRun& setup, std::string* failure) {
    HWND page = toSetupType(setup, failure);
    if (page && !(page = setup.advance(page, 1010, WizardPage::Destination)) && failure)
        *failure = "no Destination page after Custom";
    return page;
}

bool shoot(HWND page, const char* name) {
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR ignored;
    SendMessageTimeoutA(page, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    return ts::screenshot(ts::outputDir("pages") + "\\" + name + ".bmp", page);
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

// Sends a request whose record points its text buffer into the block, after
// the record; the text the control wrote there.
template <class Record>
std::string remoteText(HWND control, const RemoteMemory& remote, UINT message, WPARAM wParam, Record record) {
    char text[kTextRoom] = "";
    record.pszText = remote.at(kTextOffset);
    record.cchTextMax = kTextRoom;
    remote.write(kTextOffset, text, sizeof text);
    remote.write(0, &record, sizeof record);
    SendMessageA(control, message, wParam, reinterpret_cast<LPARAM>(remote.at(0)));
    remote.read(kTextOffset, text, sizeof text);
    text[kTextRoom - 1] = '\0';
    return text;
}
}  // namespace

std::vector<std::vector<std::string>> listViewRows(HWND list, int columns) {
    std::vector<std::vector<std::string>> rows;
    RemoteMemory remote(list, 4096);
    const int count = remote.ok() ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> texts;
        for (LVITEMA item = {}; item.iSubItem < columns; ++item.iSubItem)
            texts.push_back(remoteText(list, remote, LVM_GETITEMTEXTA, row, item));
        rows.push_back(texts);
    }
    return rows;
}

HTREEITEM treeChildNamed(HWND tree, HTREEITEM parent, const std::string& name) {
    RemoteMemory remote(tree, 4096);
    LPARAM item =
        SendMessageA(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(parent));
    for (; remote.ok() && item; item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, item)) {
        TVITEMA info = {};
        info.mask = TVIF_TEXT;
        info.hItem = reinterpret_cast<HTREEITEM>(item);
        if (remoteText(tree, remote, TVM_GETITEMA, 0, info) == name) return info.hItem;
    }
    return nullptr;
}

std::vector<std::string> listViewHeadings(HWND list, int columns) {
    std::vector<std::string> headings;
    RemoteMemory remote(list, 4096);
    LVCOLUMNA info = {};
    info.mask = LVCF_TEXT;
    for (int column = 0; remote.ok() && column < columns; ++column)
        headings.push_back(remoteText(list, remote, LVM_GETCOLUMNA, column, info));
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
