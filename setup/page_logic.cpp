#include "setup/page_logic.h"
#include <stdio.h>
#include "common/payload.h"
#include "common/product.h"
#include "common/setuppath.h"
#include "common/text.h"
#include "install/install.h"

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

void folderAfterDriveClick(char* folder, size_t capacity, const char* driveName) {
    if (capacity == 0 || !driveName || !text::isLetter(driveName[0])) return;
    if (text::isLetter(folder[0]) && folder[1] == ':') {
        folder[0] = driveName[0];
        return;
    }
    // No drive letter to replace: the disk goes in front of what is there.
    char result[MAX_PATH * 2];
    result[0] = driveName[0];
    result[1] = ':';
    result[2] = '\0';
    const char* rest = folder;
    while (text::isSeparator(*rest, true)) ++rest;
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

namespace {

bool isBadCharacter(unsigned char c) {
    if (c < 32) return true;
    for (const char* bad = "<>:\"/|?*"; *bad; ++bad)
        if (c == static_cast<unsigned char>(*bad)) return true;
    return false;
}

// Where the folder names of a full path start: after "X:\" or after the two
// backslashes of "\\server\share" (server and share are names too); 0 for a
// path that is not full.
size_t namesStart(const char* text) {
    if (text::isLetter(text[0]) && text[1] == ':' && text[2] == '\\') return 3;
    if (text[0] != '\\' || text[1] != '\\') return 0;
    const char* server = text + 2;
    const char* end = server;
    bool onlyDots = true;
    for (; *end && *end != '\\'; end = CharNextA(end)) onlyDots = onlyDots && *end == '.';
    // "\\.\" names devices, not a share ("\\?\" is refused for its '?').
    if (end == server || onlyDots || *end != '\\') return 0;
    const char* share = end + 1;
    if (*share == '\0' || *share == '\\') return 0;
    return 2;
}

// Windows drops a blank or period that ends a name, so the folder made would
// not be the one recorded. "." and ".." are steps, not names.
bool nameEndsWell(const char* name, size_t length) {
    if (length == 0) return true;
    if ((length == 1 && name[0] == '.') || (length == 2 && name[0] == '.' && name[1] == '.')) return true;
    return name[length - 1] != ' ' && name[length - 1] != '.';
}

}  // namespace

FolderProblem checkFolderText(const char* text, bool (*driveExists)(char letter)) {
    if (!text) text = "";
    const char* first = text;
    while (*first == ' ' || *first == '\t') ++first;
    if (*first == '\0') return FolderProblem::Empty;

    // A longer text is refused whole, never cut to fit.
    size_t length = lstrlenA(text);
    if (length >= MAX_PATH) return FolderProblem::TooLong;
    if (text::endsWithSeparator(text, true)) --length;
    if (length + 1 + longestInstallFolderName() > MAX_PATH - 1) return FolderProblem::TooLong;

    size_t start = namesStart(text);
    if (start == 0) return FolderProblem::Relative;

    // Name by name; a double-byte character is stepped over whole, as its
    // trail byte may look like a backslash or a bar.
    size_t name = start;
    for (size_t i = start; i <= length; ++i) {
        unsigned char c = i < length ? static_cast<unsigned char>(text[i]) : '\\';
        if (IsDBCSLeadByte(c) && i + 1 < length) {
            ++i;
        } else if (c == '\\') {
            if (!nameEndsWell(text + name, i - name)) return FolderProblem::BadNameEnd;
            name = i + 1;
        } else if (isBadCharacter(c)) {
            return FolderProblem::BadCharacter;
        }
    }

    if (start == 3 && driveExists && !driveExists(text[0])) return FolderProblem::NoSuchDrive;
    return FolderProblem::None;
}

FolderProblem checkInstallFolder(const char* text) {
    FolderProblem problem = checkFolderText(text, driveExists);
    if (problem != FolderProblem::None) return problem;
    char recorded[MAX_PATH];
    readInstallFolder(HKEY_LOCAL_MACHINE, recorded);
    FolderRefusal why = FolderRefusal::None;
    if (installFolderUse(text, recorded, why) != FolderUse::Refuse) return FolderProblem::None;
    switch (why) {
    case FolderRefusal::Linked: return FolderProblem::Linked;
    case FolderRefusal::OpenAbove: return FolderProblem::OpenAbove;
    case FolderRefusal::Unreadable: return FolderProblem::Unreadable;
    default: return FolderProblem::OthersMayChange;
    }
}

bool driveExists(char letter) {
    char root[] = {letter, ':', '\\', '\0'};
    return GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR;
}

namespace {
FolderRefusal refusalOf(FolderProblem problem) {
    switch (problem) {
    case FolderProblem::OpenAbove: return FolderRefusal::OpenAbove;
    case FolderProblem::Linked: return FolderRefusal::Linked;
    case FolderProblem::Unreadable: return FolderRefusal::Unreadable;
    default: return FolderRefusal::OthersMayChange;
    }
}
}  // namespace

void folderProblemMessage(char* out, size_t capacity, FolderProblem problem, const char* text) {
    switch (problem) {
    case FolderProblem::None: text::copyInto(out, capacity, ""); return;
    case FolderProblem::Empty: text::copyInto(out, capacity, product::kFolderEmpty); return;
    case FolderProblem::Relative: text::copyInto(out, capacity, product::kFolderNotFull); return;
    case FolderProblem::NoSuchDrive: {
        char letter = text && text::isLetter(text[0]) ? text[0] : '?';
        if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
        text::formatInto(out, capacity, product::kFolderNoDrive, letter);
        return;
    }
    case FolderProblem::BadCharacter: text::copyInto(out, capacity, product::kFolderBadCharacter); return;
    case FolderProblem::BadNameEnd: text::copyInto(out, capacity, product::kFolderBadEnd); return;
    case FolderProblem::TooLong: text::copyInto(out, capacity, product::kFolderTooLong); return;
    case FolderProblem::OthersMayChange:
    case FolderProblem::OpenAbove:
    case FolderProblem::Linked:
    case FolderProblem::Unreadable:
        folderRefusalText(out, capacity, refusalOf(problem), text, product::kChooseAnotherFolder);
        return;
    }
}

bool pointOnLink(POINT point, const RECT& link) {
    return point.x >= link.left && point.x <= link.right && point.y >= link.top && point.y <= link.bottom;
}
