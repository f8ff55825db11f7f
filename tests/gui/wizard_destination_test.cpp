// The Destination and Summary pages in the real setup.exe: the disk list
// (with a CD-ROM and a second fixed disk mapped into the prefix), a click on
// a disk, hand-typed and browsed folders, the folders Next refuses, the
// 259-character cut of Back, and what the Summary page then shows.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include "tests/support/install_support.h"
#include "tests/support/product_road.h"
#include "tests/support/support.h"
#include "tests/support/wizard_support.h"

namespace ts = testing_support;
using wizard::SetupRun;
using wizard::WizardPage;

namespace {

using WizardDestination = wizard::StagedSetupTest;

int focusedControl(HWND page) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(page, nullptr), &info) || !info.hwndFocus) return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

void setField(HWND page, const std::string& text) {
    SendMessageA(ts::control(page, 1014), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string summaryFolder(HWND summary) {
    std::string text = ts::controlText(summary, 1008);
    const std::string head = "Destination location:\r\n    ";
    if (text.compare(0, head.size(), head) != 0) return "<no destination block>";
    size_t end = text.find("\r\n\r\n", head.size());
    return end == std::string::npos ? "<unended>" : text.substr(head.size(), end - head.size());
}

const char kSetupCaption[] = "Orlan PDF Scribe Setup";
const char kTooLong[] = "The folder name is too long. Please choose a shorter one.";

int rowOf(const std::vector<std::vector<std::string>>& rows, const std::string& name) {
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i][0] == name) return static_cast<int>(i);
    return -1;
}

// An optical drive, then a second fixed disk after it.
TEST_F(WizardDestination, DiskListShowsExactlyTheFixedDisksInDriveOrder) {
    install_support::MappedDrive cdrom(ts::makeTempDir("cdrom"), DRIVE_CDROM), fixed(ts::makeTempDir("fixed"));
    ASSERT_FALSE(cdrom.letter().empty() || fixed.letter().empty()) << "could not map test drives";
    ASSERT_EQ(static_cast<UINT>(DRIVE_CDROM), GetDriveTypeA((cdrom.letter() + "\\").c_str()));
    ASSERT_EQ(static_cast<UINT>(DRIVE_FIXED), GetDriveTypeA((fixed.letter() + "\\").c_str()));

    // Each disk's lowest and highest free space while the page reads it:
    // the other test programs copy and delete whole Wine prefixes on the
    // same disk all the while, hundreds of MB at a time.
    struct Disk {
        std::string name;
        ULONGLONG total, lowest, highest;
    };
    auto fixedDisks = [] {
        std::vector<Disk> disks;
        char roots[256];
        DWORD length = GetLogicalDriveStringsA(sizeof roots, roots);
        for (char* r = roots; length && *r; r += lstrlenA(r) + 1) {
            ULARGE_INTEGER available, total, free;
            if (GetDriveTypeA(r) == DRIVE_FIXED && GetDiskFreeSpaceExA(r, &available, &total, &free))
                disks.push_back({std::string(r, 2), total.QuadPart, free.QuadPart, free.QuadPart});
        }
        return disks;
    };
    struct FreeSpaceWatch {
        std::vector<Disk> disks;
        std::atomic<bool> done{false};
        std::thread sampler;
        explicit FreeSpaceWatch(std::function<std::vector<Disk>()> look) : disks(look()) {
            sampler = std::thread([this, look] {
                while (!done) {
                    std::vector<Disk> now = look();
                    for (size_t i = 0; i < now.size() && i < disks.size(); ++i) {
                        disks[i].lowest = std::min(disks[i].lowest, now[i].lowest);
                        disks[i].highest = std::max(disks[i].highest, now[i].highest);
                    }
                    Sleep(10);
                }
            });
        }
        std::vector<Disk> finish() {
            done = true;
            if (sampler.joinable()) sampler.join();
            return disks;
        }
        ~FreeSpaceWatch() { finish(); }
    } watch(fixedDisks);

    SetupRun setup(*folder);
    HWND page = wizard::toDestination(setup);
    ASSERT_TRUE(page);
    EXPECT_EQ(product_road::defaultInstallDir(), ts::controlText(page, 1014));
    EXPECT_EQ(1001, focusedControl(page));

    HWND list = ts::control(page, 1015);
    EXPECT_EQ((std::vector<std::string>{"Name", "Total Disk Space", "Free Disk Space"}),
              wizard::listViewHeadings(list, 3));
    RECT lr = ts::windowRect(list);
    for (int c = 0; c < 3; ++c) EXPECT_EQ((lr.right - lr.left) / 4, SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0));
    EXPECT_TRUE(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);

    // Row by row the fixed disks in drive order, so no CD-ROM.
    auto rows = wizard::listViewRows(list, 3);
    const std::vector<Disk> expected = watch.finish();
    ASSERT_EQ(expected.size(), rows.size());
    EXPECT_TRUE(rowOf(rows, "C:") >= 0 && rowOf(rows, fixed.letter()) >= 0) << "C: and the second fixed disk";
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(expected[i].name, rows[i][0]) << "row " << i;
        EXPECT_EQ(std::to_string(static_cast<long>(expected[i].total >> 20)) + " MB", rows[i][1]) << "row " << i;
        // Within what the watch saw, give or take a few MB between samples.
        long shownFree = atol(rows[i][2].c_str());
        const long low = static_cast<long>(expected[i].lowest >> 20) - 64;
        const long high = static_cast<long>(expected[i].highest >> 20) + 64;
        EXPECT_TRUE(shownFree >= low && shownFree <= high) << "row " << i << ": " << shownFree << " MB, not within "
                                                           << low << ".." << high;
        EXPECT_EQ(" MB", rows[i][2].substr(rows[i][2].size() - 3));
    }
    EXPECT_TRUE(setup.quit(page));
}

// The screen point in the middle of a list row's name.
POINT rowPoint(HWND list, int row) {
    RECT r = {};
    r.left = LVIR_LABEL;
    wizard::sendWithRemoteData(list, LVM_GETITEMRECT, row, &r, sizeof r);
    POINT p = {r.left + 8, (r.top + r.bottom) / 2};
    ClientToScreen(list, &p);
    return p;
}

TEST_F(WizardDestination, DiskClickAndTypedFolderReachTheSummaryBackCutsALongField) {
    SetupRun setup(*folder);
    HWND page = wizard::toDestination(setup);
    ASSERT_TRUE(page);
    HWND list = ts::control(page, 1015);
    int cRow = rowOf(wizard::listViewRows(list, 3), "C:");
    ASSERT_GE(cRow, 0);

    // A click on C: puts its letter in front of E:\Tools.
    setField(page, "E:\\Tools");
    POINT p = rowPoint(list, cRow);
    ASSERT_TRUE(wizard::realClick(p.x, p.y)) << "the click could not be sent";
    EXPECT_TRUE(ts::waitUntil([&] { return ts::controlText(page, 1014) == "C:\\Tools"; }, 5000))
        << ts::controlText(page, 1014);

    // Next stores what the field holds; the summary shows it.
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Options));
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Summary));
    EXPECT_EQ("C:\\Tools", summaryFolder(page));
    EXPECT_EQ(1012, focusedControl(page)) << "the Summary page opens with the focus on Install";

    // Back again: the field shows the stored folder; a hand-typed one is kept as typed.
    ASSERT_TRUE(page = setup.advance(page, 1011, WizardPage::Options));
    ASSERT_TRUE(page = setup.advance(page, 1011, WizardPage::Destination));
    EXPECT_EQ("C:\\Tools", ts::controlText(page, 1014));
    setField(page, "c:\\Hand  typed\\ folder name");
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Options));
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Summary));
    EXPECT_EQ("c:\\Hand  typed\\ folder name", summaryFolder(page));

    // Back stores a field of 300 characters as its first 259 (which Next
    // refuses, as the next test shows).
    ASSERT_TRUE(page = setup.advance(page, 1011, WizardPage::Options));
    ASSERT_TRUE(page = setup.advance(page, 1011, WizardPage::Destination));
    std::string longFolder = "D:\\" + std::string(297, 'x');
    longFolder[258] = 'z';
    setField(page, longFolder);
    ASSERT_EQ(longFolder, ts::controlText(page, 1014));
    ASSERT_TRUE(page = setup.advance(page, 1011, WizardPage::SetupType));
    ASSERT_TRUE(page = setup.advance(page, 1010, WizardPage::Destination));
    EXPECT_EQ(longFolder.substr(0, 259), ts::controlText(page, 1014));
    EXPECT_TRUE(setup.quit(page));
}

BOOL CALLBACK findIcon(HWND child, LPARAM found) {
    char cls[16] = "";
    GetClassNameA(child, cls, sizeof cls);
    bool icon = (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    if (!lstrcmpiA(cls, "Static") && icon && IsWindowVisible(child)) *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

TEST_F(WizardDestination, NextRefusesAFolderItCannotInstallIntoAndKeepsTheText) {
    char missing = 'Y';
    while (missing > 'D' && (GetLogicalDrives() & (1u << (missing - 'A')))) --missing;
    ASSERT_FALSE(GetLogicalDrives() & (1u << (missing - 'A'))) << "no free drive letter";
    // One folder of each kind the in-process folder check refuses, one
    // longer than MAX_PATH, as the field gives it, one that others can
    // change and one that is a link.
    const std::string open = ts::makeTempDir("open"), linkParent = ts::makeTempDir("link"), link = linkParent + "\\to";
    ASSERT_TRUE(ts::makeFolderLink(link, open));
    const std::pair<std::string, std::string> cases[] = {
        {"", "Please enter the folder to install Orlan PDF Scribe in."},
        {"Program Files\\Scribe", "Please enter a full path, such as C:\\Program Files\\Orlan Software\\PDF Scribe."},
        {std::string(1, missing) + ":\\Tools",
         "The drive " + std::string(1, missing) + ": does not exist. Please choose another folder."},
        {"C:\\a|b", "A folder name cannot contain any of these characters: < > : \" / | ? *"},
        {"C:\\Tools\\folder name ", "A folder name cannot end with a space or a period."},
        {"C:\\" + std::string(256, 'x'), kTooLong}, {"C:\\" + std::string(297, 'x'), kTooLong},  // 259, 300
        {open, "Users who are not administrators can change the folder " + open +
                   ". Please choose another folder, or a new one."},
        {link + "\\Scribe", "A folder on the path " + link +
                                "\\Scribe is a link to another place (a junction or a symbolic link). Please choose "
                                "another folder, or a new one."},
    };
    ASSERT_TRUE(install_support::letEveryoneWrite(open));
    SetupRun setup(*folder);
    HWND page = wizard::toDestination(setup);
    ASSERT_TRUE(page);
    for (const auto& c : cases) {
        SCOPED_TRACE("folder \"" + c.first + "\"");
        setField(page, c.first);
        // A click on Next takes the focus there first.
        SendMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ts::control(page, 1001)), TRUE);
        ts::press(page, 1001);
        ts::MessageBoxInfo box = ts::findMessageBox(kSetupCaption);
        ASSERT_TRUE(box.window) << "no message";
        EXPECT_EQ(c.second, box.text);
        EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
        bool icon = false;
        EnumChildWindows(box.window, findIcon, reinterpret_cast<LPARAM>(&icon));
        EXPECT_TRUE(icon);
        PostMessageA(box.window, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(ts::waitUntil([&] { return !IsWindow(box.window); }, 10000));
        EXPECT_EQ(page, setup.waitPage(WizardPage::Destination, 5000)) << "the page did not stay";
        EXPECT_EQ(c.first, ts::controlText(page, 1014));
        EXPECT_TRUE(ts::waitUntil([&] { return focusedControl(page) == 1014; }, 5000)) << focusedControl(page);
    }
    // The longest folder with room for every file goes on.
    const std::string longest = "C:\\" + std::string(235, 'y');
    setField(page, longest);
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Options));
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Summary));
    EXPECT_EQ(longest, summaryFolder(page));
    EXPECT_TRUE(setup.quit(page));
    ts::removeFolderLink(link);
    ts::removeTree(linkParent);
    ts::removeTree(open);
}

TEST_F(WizardDestination, BrowsedFolderFillsTheFieldAndCancelOfTheQuitKeepsIt) {
    // A folder on the desktop: the browser's tree starts there, so the
    // folder is one of its first items.
    char desktop[MAX_PATH] = "";
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, TRUE));
    // Wine's is a link to the Unix home, which the page refuses as a link on
    // the way; Windows' is a folder of its own.
    const DWORD attributes = GetFileAttributesA(desktop);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        ts::removeFolderLink(desktop);
        ASSERT_TRUE(CreateDirectoryA(desktop, nullptr));
    }
    std::string chosen = std::string(desktop) + "\\Browsed folder";
    ASSERT_TRUE(CreateDirectoryA(chosen.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    SetupRun setup(*folder);
    HWND page = wizard::toDestination(setup);
    ASSERT_TRUE(page);
    const std::string before = ts::controlText(page, 1014);

    // Browse, then cancel the browser: the field stays.
    ts::press(page, 1013);
    HWND browser = setup.waitOtherDialog();
    ASSERT_TRUE(browser) << "no folder browser";
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(ts::waitUntil([&] { return !IsWindow(browser); }, 10000));
    EXPECT_EQ(before, ts::controlText(page, 1014));

    // Browse to a folder: its full path, without the product's sub-folder.
    ts::press(page, 1013);
    browser = setup.waitOtherDialog();
    ASSERT_TRUE(browser);
    // Select the folder in the browser's tree once the tree has been filled.
    HWND tree = FindWindowExA(browser, nullptr, "SysTreeView32", nullptr);
    ASSERT_TRUE(tree);
    ASSERT_TRUE(ts::waitUntil([&] { return SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0) != 0; }, 10000));
    LRESULT first = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    // As a user picks it: the folder's item under the desktop, selected.
    HTREEITEM desktopItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    HTREEITEM item = nullptr;
    ASSERT_TRUE(ts::waitUntil([&] { return (item = wizard::treeChildNamed(tree, desktopItem, "Browsed folder")); },
                              10000))
        << "the browser does not list the folder";
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    EXPECT_TRUE(ts::waitUntil([&] { return SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) != first; }, 5000))
        << "the browser did not move to the folder";
    PostMessageA(browser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(ts::waitUntil([&] { return !IsWindow(browser); }, 10000));
    EXPECT_TRUE(ts::waitUntil([&] { return lstrcmpiA(ts::controlText(page, 1014).c_str(), chosen.c_str()) == 0; },
                              5000))
        << ts::controlText(page, 1014) << " instead of " << chosen;

    // Cancel with No keeps the page; Next then stores the browsed folder.
    ts::press(page, 1002);
    ASSERT_TRUE(wizard::answerQuitQuestion(IDNO));
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Options));
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Summary));
    EXPECT_EQ(0, lstrcmpiA(chosen.c_str(), summaryFolder(page).c_str())) << summaryFolder(page);
    EXPECT_TRUE(setup.quit(page));
    ts::removeTree(chosen);
}

}  // namespace
