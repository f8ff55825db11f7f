#include "common/foldersecurity.h"
#include "common/handles.h"
#include "common/text.h"

FolderSecurityCalls systemFolderSecurityCalls() {
    return FolderSecurityCalls{CreateDirectoryA, CheckTokenMembership, GetNamedSecurityInfoA, SetNamedSecurityInfoA};
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

bool isAllowEntry(BYTE type) {
    return type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_ALLOWED_COMPOUND_ACE_TYPE ||
           type == ACCESS_ALLOWED_OBJECT_ACE_TYPE || type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE ||
           type == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE;
}

class TrustedSids {
public:
    explicit TrustedSids(PSID also) : also_(also) {
        makeSid(sids_[0].bytes, kNtAuthority, 2, kAdministrators);
        makeSid(sids_[1].bytes, kNtAuthority, 1, kSystem);
        makeSid(sids_[2].bytes, kNtAuthority, 6, kTrustedInstaller);
        makeSid(creatorOwner_.bytes, kCreatorAuthority, 1, kCreatorOwner);
    }
    bool trusted(PSID sid) {
        if (!sid || !IsValidSid(sid)) return false;
        for (KnownSid& known : sids_)
            if (EqualSid(sid, known.get())) return true;
        return also_ && IsValidSid(also_) && EqualSid(sid, also_);
    }
    bool isCreatorOwner(PSID sid) { return EqualSid(sid, creatorOwner_.get()) != FALSE; }

private:
    KnownSid sids_[3];
    KnownSid creatorOwner_;
    PSID also_;
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

}  // namespace

bool othersMayWrite(PSECURITY_DESCRIPTOR descriptor, PSID alsoTrusted) {
    TrustedSids sids(alsoTrusted);
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
        if (!(entry->Mask & kWriteRights)) continue;
        // The object and callback kinds place their SID elsewhere or attach
        // conditions: whoever they name is not known to be trusted.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return true;
        PSID sid = &entry->SidStart;
        if ((header->AceFlags & INHERIT_ONLY_ACE) && sids.isCreatorOwner(sid)) continue;
        if (!sids.trusted(sid)) return true;
    }
    return false;
}

bool runsAsAdministrator() {
    KnownSid administrators;
    BOOL member = FALSE;
    return !makeSid(administrators.bytes, kNtAuthority, 2, kAdministrators) ||
           !folderSecurityCalls.checkTokenMembership(nullptr, administrators.get(), &member) || member;
}

FolderWriters folderWriters(const char* path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD error = folderSecurityCalls.getNamedSecurityInfo(path, SE_FILE_OBJECT,
                                                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                                           nullptr, nullptr, nullptr, nullptr, &descriptor);
    LocalMem held(descriptor);
    if (error != ERROR_SUCCESS || !descriptor) {
        SetLastError(error != ERROR_SUCCESS ? error : ERROR_INVALID_SECURITY_DESCR);
        return FolderWriters::Unreadable;
    }
    KnownSid machineOwner;
    if (!othersMayWrite(descriptor, systemFolderOwner(machineOwner) ? machineOwner.get() : nullptr))
        return FolderWriters::AdminsOnly;
    SetLastError(ERROR_ACCESS_DENIED);
    return FolderWriters::Others;
}

bool onlyAdminsCanWrite(const char* path) { return folderWriters(path) == FolderWriters::AdminsOnly; }

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
