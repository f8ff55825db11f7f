// Who may change a folder. Both programs run elevated: what they load,
// start or delete must lie where only administrators can change it. Setup
// gives the folders it makes for the installation a descriptor of its own;
// both programs judge a folder that is already there before they trust it.
#pragma once
#include <windows.h>
#include <aclapi.h>

// The calls that make folders and read and write descriptors, gathered so
// that a test can answer them the way Wine cannot: Wine keeps no ACLs, and
// reads every file back as the user's own, made from its Unix mode, and its
// one user is an administrator; and a test can have every name taken, or a
// volume that keeps no ACLs (Wine calls every disk NTFS).
struct FolderSecurityCalls {
    BOOL(WINAPI* createDirectory)(LPCSTR path, LPSECURITY_ATTRIBUTES security);
    BOOL(WINAPI* checkTokenMembership)(HANDLE token, PSID group, PBOOL member);
    DWORD(WINAPI* getNamedSecurityInfo)(LPCSTR path, SE_OBJECT_TYPE type, SECURITY_INFORMATION info, PSID* owner,
                                        PSID* group, PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* descriptor);
    DWORD(WINAPI* setNamedSecurityInfo)(LPSTR path, SE_OBJECT_TYPE type, SECURITY_INFORMATION info, PSID owner,
                                        PSID group, PACL dacl, PACL sacl);
    UINT(WINAPI* getDriveType)(LPCSTR root);
    BOOL(WINAPI* getVolumeInformation)(LPCSTR root, LPSTR name, DWORD nameSize, LPDWORD serial, LPDWORD longestName,
                                       LPDWORD flags, LPSTR fileSystem, DWORD fileSystemSize);
};
extern FolderSecurityCalls folderSecurityCalls;

// The system's own calls, as both programs use them.
FolderSecurityCalls systemFolderSecurityCalls();

// Whether someone who is no administrator may change the folder that
// descriptor describes, or what it passes on to the files put in it: an
// owner, or an allow entry granting any right to write, delete or change
// permissions, for anyone but Administrators, SYSTEM, TrustedInstaller and
// alsoTrusted (null: nobody else). No DACL at all lets everyone in. An
// inherit-only entry for CREATOR OWNER gives a new file's creator what it
// names; setup creates its files itself, so that one does not count.
bool othersMayWrite(PSECURITY_DESCRIPTOR descriptor, PSID alsoTrusted);

// Whether someone who is no administrator may rename, delete or replace the
// folder that descriptor describes, as a folder above an install folder may
// not be: an owner, or an entry that applies to the folder itself (an
// inherit-only one does not) granting DELETE, FILE_DELETE_CHILD, WRITE_DAC,
// WRITE_OWNER or GENERIC_ALL, for anyone othersMayWrite does not trust but
// Power Users. Files and folders added beside the install folder change
// nothing of it. Power Users may change what Windows 2000 and XP keep in
// Program Files, and so replace programs that administrators run: they can
// make themselves administrators there. Counting them would refuse every
// default installation on those systems.
bool othersMayMove(PSECURITY_DESCRIPTOR descriptor, PSID alsoTrusted);

// Why elevated code does not trust a folder to load from or delete in.
enum class FolderRefusal {
    None,
    OthersMayChange,  // the folder itself (onlyAdminsCanWrite)
    OpenAbove,        // a folder above it (othersMayMove)
    Linked,           // a folder on its path is a junction or symbolic link
    Unreadable,       // who may change the folder, or one above it, cannot be read (last error: why)
};

// The path to such a folder: Linked when a reparse point lies on it,
// OpenAbove for a folder above it, below its drive or share, that is there
// and is judged so; otherwise None, and the folder itself is the caller's to
// judge.
FolderRefusal judgeFolderPath(const char* path);

// The report of a refused folder: why, naming the folder, then what the
// program says next.
void folderRefusalText(char* out, size_t capacity, FolderRefusal why, const char* folder, const char* then);

// Whether this process has administrator rights: Administrators is among its
// enabled groups. True too when the system cannot say.
bool runsAsAdministrator();

// Who may change the folder (or file) at path: its descriptor read and
// judged, the owner of the system folder counted an administrator too:
// whoever owns that already controls every program. (On Windows that is
// TrustedInstaller or Administrators; under Wine, which keeps no ACLs, its
// one user owns every file, and its folders are judged by what Everyone,
// Unix's "other", may do.) Unreadable when the descriptor cannot be read,
// the last error then the reading's (ERROR_FILE_NOT_FOUND or
// ERROR_PATH_NOT_FOUND for a folder that is not there); Others with
// ERROR_ACCESS_DENIED. A reading refused may give that code too: only this
// answer tells the two apart.
enum class FolderWriters { AdminsOnly, Others, Unreadable };
FolderWriters folderWriters(const char* path);

// Whether only administrators can change the folder (or file) at path
// (folderWriters); false with its last error.
bool onlyAdminsCanWrite(const char* path);

// The path judged whole: judgeFolderPath, then the folder itself when it is
// there (folderWriters). Unreadable leaves the reading's error as the last
// error, for folderRefusalText.
FolderRefusal folderRefusal(const char* path);

// A protected DACL (nothing inherited from the parent): Administrators and
// SYSTEM full control, Users read and execute, each passed on to every file
// and folder inside; owned by Administrators, or by its creator (below).
// Fixed buffers, no heap.
class AdminOnlySecurity {
public:
    // What attributes() makes is owned by Administrators, or by whoever the
    // token names as its default owner: Administrators too for an
    // administrator (elevated, from Vista on). The system refuses to make
    // anything owned by a group that the token cannot assign as owner
    // (ERROR_INVALID_OWNER), and the uninstaller may run without
    // administrator rights on Windows 2000 and XP, which elevate nothing,
    // for a user's own installation: its log is made with the creator's.
    enum Owner { kOwnedByAdministrators, kOwnedByCreator };
    explicit AdminOnlySecurity(Owner owner = kOwnedByAdministrators);
    AdminOnlySecurity(const AdminOnlySecurity&) = delete;
    AdminOnlySecurity& operator=(const AdminOnlySecurity&) = delete;

    // For CreateDirectory and CreateFile, so that the object is never there
    // without it; null when the descriptor could not be built.
    SECURITY_ATTRIBUTES* attributes() { return valid_ ? &attributes_ : nullptr; }
    // Gives an existing folder owner Administrators and this DACL; the system passes the
    // DACL on to what the folder holds. False with the last error set.
    bool applyTo(const char* folder);
    // Gives a file owner Administrators and what it inherits from its folder
    // alone.
    bool resetFile(const char* file);

private:
    bool set(const char* path, SECURITY_INFORMATION info, DWORD* dacl);
    DWORD administrators_[SECURITY_MAX_SID_SIZE / sizeof(DWORD)];
    DWORD system_[SECURITY_MAX_SID_SIZE / sizeof(DWORD)];
    DWORD users_[SECURITY_MAX_SID_SIZE / sizeof(DWORD)];
    DWORD dacl_[64];
    DWORD emptyDacl_[2];
    SECURITY_DESCRIPTOR descriptor_;
    SECURITY_ATTRIBUTES attributes_;
    bool valid_;
};
