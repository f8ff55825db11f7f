// The decisions of the wizard pages that need no window: the summary text,
// the disk-size text, the folder after a disk click, the stored folder, the
// check of a typed folder and the link hit test.
#pragma once
#include <windows.h>

// Room for the summary text, terminator included.
const size_t kSummaryCapacity = 1024;

// The summary of the chosen folder and options, CR LF line breaks.
void buildSummaryText(char* out, size_t capacity, const char* installDir, int addWordAddin, int addStartMenuIcon,
                      int allUsers);

// Whole mebibytes of a byte count, as "<n> MB" (rounded down).
void formatMegabytes(char* out, size_t capacity, ULONGLONG bytes);

// The folder text after a click on a disk named like "C:": a folder that
// starts with a drive letter gets the disk's letter in its place; a folder
// without one gets the disk in front; an empty folder gets the product's
// folder on that disk. At most capacity - 1 characters.
void folderAfterDriveClick(char* folder, size_t capacity, const char* driveName);

// What the folder field stores in installDir: its text, cut to 259 characters.
// Next stores only a folder that checkFolderText accepts, so the cut is left
// to Back and Cancel, which store the field as it is.
void storeFolderField(char (&installDir)[MAX_PATH], const char* fieldText);

// What keeps a typed folder from being installed into.
enum class FolderProblem {
    None,
    Empty,
    Relative,
    NoSuchDrive,
    BadCharacter,
    BadNameEnd,
    TooLong,
    OthersMayChange,  // the folder, there already
    OpenAbove,        // a folder above it
    Linked,           // a link on its path
    Unreadable,       // who may change it cannot be read (the message takes the last error)
};

// Judges the folder text as the run will use it (one trailing separator
// dropped): a full path ("X:\..." or "\\server\share..."), names that
// Windows accepts, room within 259 characters for the longest name of the
// files that go into the install folder, and a drive that exists. driveExists is asked last, about the
// drive letter only; null skips that question.
FolderProblem checkFolderText(const char* text, bool (*driveExists)(char letter));

// checkFolderText with the drives there are, then whether setup may
// install into it (installFolderUse, with the machine's record of an
// earlier installation).
FolderProblem checkInstallFolder(const char* text);

// Whether the drive of that letter has a root folder.
bool driveExists(char letter);

// The message for a problem of that folder text (which names the drive).
void folderProblemMessage(char* out, size_t capacity, FolderProblem problem, const char* text);

// Whether a screen point lies on the link's screen rectangle, edges included.
bool pointOnLink(POINT point, const RECT& link);

// The licence agreement shown on the Licence page (CR LF line breaks).
extern const char kLicenceAgreement[];
