#include "common/foldersecurity.h"
#include "common/errorreport.h"
#include "common/handles.h"
#include "common/product.h"
#include "common/protect.h"
#include "common/text.h"

FolderSecurityCalls systemFolderSecurityCalls() {
    return FolderSecurityCalls{CreateDirectoryA, CheckTokenMembership, GetNamedSecurityInfoA, SetNamedSecurityInfoA,
                               GetDriveTypeA, GetVolumeInformationA};
}
FolderSecurityCalls folderSecurityCalls = systemFolderSecurityCalls();

namespace {

// A well-known SID in a buffer of its own: Windows 2000 has no
// CreateWellKnownSid, and these need no freeing.
struct KnownSid {
    DWORD bytes[SECURITY_MAX_SID_SIZE / sizeof(DWORD)];
    PSID get() { return bytes; }
};

bool makeSid(DWORD* out, BYTE authority, BYTE count, const DWORD* parts) {
    SID_IDENTIFIER_AUTHORITY id = {{0, 0, 0, 0, 0, authority}};
    if (!InitializeSid(out, &id, count)) return false;
    for (BYTE i = 0; i < count; ++i) *GetSidSubAuthority(out, i) = parts[i];
    return true;
}

const DWORD kAdministrators[] = {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS};
const DWORD kUsers[] = {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS};
const DWORD kPowerUsers[] = {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_POWER_USERS};
const DWORD kSystem[] = {SECURITY_LOCAL_SYSTEM_RID};
// NT SERVICE\TrustedInstaller, which owns the system's own files from Vista on.
const DWORD kTrustedInstaller[] = {80, 956008885, 3418522649u, 1831038044, 1847463358, 2083667008};
const DWORD kCreatorOwner[] = {SECURITY_CREATOR_OWNER_RID};
const BYTE kNtAuthority = 5;
const BYTE kCreatorAuthority = 3;

// Every right that lets a holder put, replace or remove something in the
// folder, or hand such a right to himself.
const ACCESS_MASK kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                 WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
// Every right that lets a holder rename or remove the folder, or one in it,
// or hand such a right to himself.
const ACCESS_MASK kMoveRights = DELETE | FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER | GENERIC_ALL;

// What a descriptor is judged for.
struct Rule {
    ACCESS_MASK rights;
    bool ownEntriesOnly;  // what it passes on does not count
    bool powerUsersTrusted;
};
const Rule kChangeRule = {kWriteRights, false, false};
const Rule kMoveRule = {kMoveRights, true, true};

bool isAllowEntry(BYTE type) {
    return type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_ALLOWED_COMPOUND_ACE_TYPE ||
           type == ACCESS_ALLOWED_OBJECT_ACE_TYPE || type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE ||
           type == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE;
}

class TrustedSids {
public:
    TrustedSids(PSID also, bool powerUsers) : also_(also), count_(powerUsers ? 4 : 3) {
        makeSid(sids_[0].bytes, kNtAuthority, 2, kAdministrators);
        makeSid(sids_[1].bytes, kNtAuthority, 1, kSystem);
        makeSid(sids_[2].bytes, kNtAuthority, 6, kTrustedInstaller);
        makeSid(sids_[3].bytes, kNtAuthority, 2, kPowerUsers);
        makeSid(creatorOwner_.bytes, kCreatorAuthority, 1, kCreatorOwner);
    }
    bool trusted(PSID sid) {
        if (!sid || !IsValidSid(sid)) return false;
        for (int i = 0; i < count_; ++i)
            if (EqualSid(sid, sids_[i].get())) return true;
        return also_ && IsValidSid(also_) && EqualSid(sid, also_);
    }
    bool isCreatorOwner(PSID sid) { return EqualSid(sid, creatorOwner_.get()) != FALSE; }

private:
    KnownSid sids_[4];
    KnownSid creatorOwner_;
    PSID also_;
    int count_;
};

// The owner of the system folder, into out; false when it cannot be read.
bool systemFolderOwner(KnownSid& out) {
    char folder[MAX_PATH];
    UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD error = folderSecurityCalls.getNamedSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                                           nullptr, nullptr, nullptr, &descriptor);
    LocalMem held(descriptor);
    return error == ERROR_SUCCESS && owner && IsValidSid(owner) && CopySid(sizeof out.bytes, out.get(), owner);
}

bool othersMay(PSECURITY_DESCRIPTOR descriptor, PSID alsoTrusted, const Rule& rule) {
    TrustedSids sids(alsoTrusted, rule.powerUsersTrusted);
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    // The owner may rewrite the DACL whatever it says.
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !sids.trusted(owner)) return true;
    BOOL present = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl) return true;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) return true;
        if (!isAllowEntry(header->AceType)) continue;  // a deny entry grants nothing
        // Every allow entry carries its mask right after its header.
        ACCESS_ALLOWED_ACE* entry = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        if (!(entry->Mask & rule.rights) || (rule.ownEntriesOnly && (header->AceFlags & INHERIT_ONLY_ACE))) continue;
        // The object and callback kinds place their SID elsewhere or attach
        // conditions: whoever they name is not known to be trusted.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return true;
        PSID sid = &entry->SidStart;
        if ((header->AceFlags & INHERIT_ONLY_ACE) && sids.isCreatorOwner(sid)) continue;
        if (!sids.trusted(sid)) return true;
    }
    return false;
}

// Reads path's owner and DACL and judges them by rule; error receives the
// reading's error (ERROR_SUCCESS when it was read).
bool othersMayAt(const char* path, const Rule& rule, DWORD& error) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    error = folderSecurityCalls.getNamedSecurityInfo(path, SE_FILE_OBJECT,
                                                     OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                                                     nullptr, nullptr, nullptr, &descriptor);
    LocalMem held(descriptor);
    if (error != ERROR_SUCCESS || !descriptor) {
        if (error == ERROR_SUCCESS) error = ERROR_INVALID_SECURITY_DESCR;
        return true;
    }
    KnownSid machineOwner;
    return othersMay(descriptor, systemFolderOwner(machineOwner) ? machineOwner.get() : nullptr, rule);
}

}  // namespace

bool othersMayWrite(PSECURITY_DESCRIPTOR descriptor, PSID alsoTrusted) {
    return othersMay(descriptor, alsoTrusted, kChangeRule);
}

bool othersMayMove(PSECURITY_DESCRIPTOR descriptor, PSID alsoTrusted) {
    return othersMay(descriptor, alsoTrusted, kMoveRule);
}

FolderRefusal judgeFolderPath(const char* path) {
    if (reparsePointOnPath(path)) return FolderRefusal::Linked;
    FolderWalk walk(path);
    char above[MAX_PATH] = "";
    // Each folder but the path itself, down to the first that is not there.
    while (const char* folder = walk.next()) {
        DWORD error = ERROR_SUCCESS;
        if (above[0] && othersMayAt(above, kMoveRule, error)) {
            if (isNotThere(error)) return FolderRefusal::None;
            if (error == ERROR_SUCCESS) return FolderRefusal::OpenAbove;
            SetLastError(error);
            return FolderRefusal::Unreadable;
        }
        text::copy(above, folder);
    }
    return FolderRefusal::None;
}

void folderRefusalText(char* out, size_t capacity, FolderRefusal why, const char* folder, const char* then) {
    if (why == FolderRefusal::Unreadable) {
        // The reading's error, with the system's text for it.
        char reason[kErrorTextSize];
        composeReport(reason, sizeof reason, product::kFolderUnreadable, folder, 0);
        text::formatInto(out, capacity, "%s%s", reason, then);
        return;
    }
    const char* reason = why == FolderRefusal::Linked      ? product::kFolderLinked
                         : why == FolderRefusal::OpenAbove ? product::kFolderAboveOthersMayChange
                                                           : product::kFolderOthersMayChange;
    text::formatInto(out, capacity, reason, folder, then);
}

bool runsAsAdministrator() {
    KnownSid administrators;
    BOOL member = FALSE;
    return !makeSid(administrators.bytes, kNtAuthority, 2, kAdministrators) ||
           !folderSecurityCalls.checkTokenMembership(nullptr, administrators.get(), &member) || member;
}

FolderWriters folderWriters(const char* path) {
    DWORD error = ERROR_SUCCESS;
    bool others = othersMayAt(path, kChangeRule, error);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FolderWriters::Unreadable;
    }
    if (!others) return FolderWriters::AdminsOnly;
    SetLastError(ERROR_ACCESS_DENIED);
    return FolderWriters::Others;
}

bool onlyAdminsCanWrite(const char* path) { return folderWriters(path) == FolderWriters::AdminsOnly; }

FolderRefusal folderRefusal(const char* path) {
    FolderRefusal why = judgeFolderPath(path);
    if (why != FolderRefusal::None) return why;
    switch (folderWriters(path)) {
    case FolderWriters::AdminsOnly: return FolderRefusal::None;
    case FolderWriters::Others: return FolderRefusal::OthersMayChange;
    case FolderWriters::Unreadable: break;
    }
    // Not there: nothing in it to load or delete, and the caller's to make.
    return isNotThere(GetLastError()) ? FolderRefusal::None : FolderRefusal::Unreadable;
}

AdminOnlySecurity::AdminOnlySecurity(Owner owner) : attributes_(), valid_(false) {
    const DWORD allInherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    PACL dacl = reinterpret_cast<PACL>(dacl_);
    // Nothing inherited from the parent: a folder under C:\ would otherwise
    // take in the Users' or Authenticated Users' right to write there.
    valid_ = makeSid(administrators_, kNtAuthority, 2, kAdministrators) && makeSid(system_, kNtAuthority, 1, kSystem) &&
             makeSid(users_, kNtAuthority, 2, kUsers) && InitializeAcl(dacl, sizeof dacl_, ACL_REVISION) &&
             AddAccessAllowedAceEx(dacl, ACL_REVISION, allInherit, FILE_ALL_ACCESS, administrators_) &&
             AddAccessAllowedAceEx(dacl, ACL_REVISION, allInherit, FILE_ALL_ACCESS, system_) &&
             AddAccessAllowedAceEx(dacl, ACL_REVISION, allInherit, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, users_) &&
             InitializeAcl(reinterpret_cast<PACL>(emptyDacl_), sizeof emptyDacl_, ACL_REVISION) &&
             InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
             (owner == kOwnedByCreator || SetSecurityDescriptorOwner(&descriptor_, administrators_, FALSE)) &&
             SetSecurityDescriptorDacl(&descriptor_, TRUE, dacl, FALSE) &&
             SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
}

bool AdminOnlySecurity::set(const char* path, SECURITY_INFORMATION info, DWORD* dacl) {
    char name[MAX_PATH];
    if (!valid_ || !text::copy(name, path)) {
        SetLastError(valid_ ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_SECURITY_DESCR);
        return false;
    }
    DWORD error = folderSecurityCalls.setNamedSecurityInfo(name, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | info,
                                                           administrators_, nullptr, reinterpret_cast<PACL>(dacl),
                                                           nullptr);
    SetLastError(error);
    return error == ERROR_SUCCESS;
}

bool AdminOnlySecurity::applyTo(const char* folder) {
    return set(folder, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, dacl_);
}

bool AdminOnlySecurity::resetFile(const char* file) {
    // An empty DACL that takes what the folder passes on.
    return set(file, DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION, emptyDacl_);
}
