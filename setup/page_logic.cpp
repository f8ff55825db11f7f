#include "setup/page_logic.h"
#include <stdio.h>
#include "common/product.h"
#include "common/text.h"

void buildSummaryText(char* out, size_t capacity, const char* installDir, int addWordAddin, int addStartMenuIcon,
                      int allUsers) {
    if (capacity == 0) return;
    out[0] = '\0';
    StringCchCatA(out, capacity, "Destination location:\r\n    ");
    StringCchCatA(out, capacity, installDir ? installDir : "");
    StringCchCatA(out, capacity, "\r\n\r\n");
    if (addWordAddin) {
        StringCchCatA(out, capacity, "Addin setting:\r\n");
        StringCchCatA(out, capacity, "    Addin button will be added in Microsoft Word\r\n\r\n");
    }
    if (addStartMenuIcon) {
        StringCchCatA(out, capacity, "Desktop setting:\r\n");
        StringCchCatA(out, capacity, "    Add an icon to the Start Menu\r\n\r\n");
    }
    StringCchCatA(out, capacity, allUsers ? "Install for all users" : "Install for current user");
}

void formatMegabytes(char* out, size_t capacity, ULONGLONG bytes) {
    text::formatInto(out, capacity, "%ld MB", static_cast<long>(bytes >> 20));
}

static bool isSeparator(char c) { return c == '\\' || c == '/'; }

static bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

void folderAfterDriveClick(char* folder, size_t capacity, const char* driveName) {
    if (capacity == 0 || !driveName || !isLetter(driveName[0])) return;
    if (isLetter(folder[0]) && folder[1] == ':') {
        folder[0] = driveName[0];
        return;
    }
    // No drive letter to replace: the disk goes in front of what is there.
    char result[MAX_PATH * 2];
    result[0] = driveName[0];
    result[1] = ':';
    result[2] = '\0';
    const char* rest = folder;
    while (isSeparator(*rest)) ++rest;
    if (*rest == '\0') {
        StringCchCatA(result, sizeof result, product::kProductSubFolder);
    } else {
        StringCchCatA(result, sizeof result, "\\");
        StringCchCatA(result, sizeof result, rest);
    }
    StringCchCopyA(folder, capacity, result);
}

void storeFolderField(char (&installDir)[MAX_PATH], const char* fieldText) {
    // A longer text is cut, not refused: StringCchCopy keeps the first 259.
    StringCchCopyA(installDir, MAX_PATH, fieldText ? fieldText : "");
}

bool pointOnLink(POINT point, const RECT& link) {
    return point.x >= link.left && point.x <= link.right && point.y >= link.top && point.y <= link.bottom;
}
