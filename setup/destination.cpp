// The Destination page: the install folder and the list of fixed disks.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include "common/product.h"
#include "common/prompt.h"
#include "common/text.h"
#include "resources/resource.h"
#include "setup/frame.h"
#include "setup/options.h"
#include "setup/page_logic.h"
#include "setup/pages.h"

// The disk list and the folder browser, used by the Destination page.
void fillDriveList(HWND list);
void addDriveRow(HWND list, const char* name, int ordinal);
bool browseForFolder(HWND owner, char (&folder)[MAX_PATH]);

void addDriveRow(HWND list, const char* name, int ordinal) {
    ULARGE_INTEGER available, total, totalFree;
    if (!GetDiskFreeSpaceExA(name, &available, &total, &totalFree)) return;
    char totalText[32], freeText[32];
    formatMegabytes(totalText, sizeof totalText, total.QuadPart);
    formatMegabytes(freeText, sizeof freeText, totalFree.QuadPart);

    char nameText[8];
    text::copy(nameText, name);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = ordinal;  // beyond the end appends, so rows keep the drive order
    item.iSubItem = 0;
    item.pszText = nameText;
    int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;

    LVITEMA sub = {};
    sub.iSubItem = 1;
    sub.pszText = totalText;
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
    sub.iSubItem = 2;
    sub.pszText = freeText;
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
}

void fillDriveList(HWND list) {
    RECT r;
    GetWindowRect(list, &r);
    int width = (r.right - r.left) / 4;

    DWORD styles = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, styles | LVS_EX_FULLROWSELECT);

    static const char* const headings[] = {"Name", "Total Disk Space", "Free Disk Space"};
    for (int i = 0; i < 3; ++i) {
        char heading[32];
        text::copy(heading, headings[i]);
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.fmt = LVCFMT_LEFT;
        column.cx = width;
        column.pszText = heading;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }

    char roots[128];
    DWORD length = GetLogicalDriveStringsA(sizeof roots, roots);
    if (length == 0 || length >= sizeof roots) return;  // too long a list would not fit: show none
    int ordinal = 0;
    for (char* root = roots; *root; root += lstrlenA(root) + 1, ++ordinal) {
        if (GetDriveTypeA(root) != DRIVE_FIXED) continue;
        char name[8];
        text::copy(name, root);
        char* colon = name;
        while (*colon && *colon != ':') ++colon;
        if (*colon) colon[1] = '\0';
        addDriveRow(list, name, ordinal);
    }
}

bool browseForFolder(HWND owner, char (&folder)[MAX_PATH]) {
    // The browser is a shell (COM) dialog; the thread may already be initialised.
    HRESULT com = CoInitialize(nullptr);
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = folder;
    info.lpszTitle = "Please choose the folder";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    bool found = false;
    if (chosen) {
        found = SHGetPathFromIDListA(chosen, folder) != FALSE;
        CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return found;
}

namespace {

// The folder field goes into installDir whenever the page ends.
void keepFolder(HWND page) {
    char field[MAX_PATH * 2] = "";
    GetWindowTextA(GetDlgItem(page, IDC_FOLDER), field, sizeof field);
    storeFolderField(options.installDir, field);
}

// Next goes on only with a folder the run can install into; otherwise the
// user is told why and the page stays with the text as typed.
bool folderAccepted(HWND page) {
    HWND field = GetDlgItem(page, IDC_FOLDER);
    char text[MAX_PATH * 2] = "";
    GetWindowTextA(field, text, sizeof text);
    FolderProblem problem = checkInstallFolder(text);
    if (problem == FolderProblem::None) return true;
    char message[512];
    folderProblemMessage(message, sizeof message, problem, text);
    prompt::tell(page, message, product::kSetupBoxCaption, MB_ICONEXCLAMATION);
    SetFocus(field);
    return false;
}

void driveClicked(HWND page) {
    HWND list = GetDlgItem(page, IDC_DISK_LIST);
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    int selected = -1;
    for (int row = 0; row < count && selected < 0; ++row)
        if (SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) selected = row;
    if (selected < 0) return;

    char name[64] = "";
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = name;
    item.cchTextMax = sizeof name;
    SendMessageA(list, LVM_GETITEMTEXTA, selected, reinterpret_cast<LPARAM>(&item));

    char folder[MAX_PATH] = "";
    HWND field = GetDlgItem(page, IDC_FOLDER);
    GetWindowTextA(field, folder, sizeof folder);
    folderAfterDriveClick(folder, sizeof folder, name);
    SetWindowTextA(field, folder);
}

}  // namespace

INT_PTR CALLBACK destinationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        openPage(page, Page::Destination);
        SetFocus(GetDlgItem(page, IDC_NEXT));
        SetWindowTextA(GetDlgItem(page, IDC_FOLDER), options.installDir);
        fillDriveList(GetDlgItem(page, IDC_DISK_LIST));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* note = reinterpret_cast<const NMHDR*>(lParam);
        if (note->idFrom != IDC_DISK_LIST || note->code != static_cast<UINT>(NM_CLICK)) return FALSE;
        driveClicked(page);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
        case IDC_CANCEL: quitPage(page, kResultCancel, keepFolder); return FALSE;
        case IDC_NEXT:
            if (folderAccepted(page)) endPage(page, IDC_NEXT, keepFolder);
            return FALSE;
        case IDC_BACK: endPage(page, IDC_BACK, keepFolder); return FALSE;
        case IDC_BROWSE: {
            char folder[MAX_PATH] = "";
            if (browseForFolder(page, folder)) SetWindowTextA(GetDlgItem(page, IDC_FOLDER), folder);
            return FALSE;
        }
        }
        return FALSE;
    }
    return commonPageProc(page, message, wParam, lParam);
}
