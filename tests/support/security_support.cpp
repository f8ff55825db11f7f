#include "tests/support/security_support.h"
#include <sddl.h>
#include <map>
#include <vector>

namespace security_support {

namespace {

std::map<std::string, std::vector<BYTE>> kept;

std::string keyOf(const char* path) {
    std::string key = path;
    if (!key.empty() && key.back() == '\\') key.pop_back();
    CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

void keepDescriptor(const char* path, PSECURITY_DESCRIPTOR descriptor) {
    DWORD size = 0;
    MakeSelfRelativeSD(descriptor, nullptr, &size);
    std::vector<BYTE> bytes(size);
    if (size && MakeSelfRelativeSD(descriptor, bytes.data(), &size)) kept[keyOf(path)] = bytes;
}

BOOL WINAPI createDirectory(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
    if (!CreateDirectoryA(path, nullptr)) return FALSE;
    if (security && security->lpSecurityDescriptor) keepDescriptor(path, security->lpSecurityDescriptor);
    return TRUE;
}

DWORD WINAPI getNamedSecurityInfo(LPCSTR path, SE_OBJECT_TYPE type, SECURITY_INFORMATION info, PSID* owner,
                                  PSID* group, PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* descriptor) {
    auto found = kept.find(keyOf(path));
    if (found == kept.end()) return GetNamedSecurityInfoA(path, type, info, owner, group, dacl, sacl, descriptor);
    if (found->second.empty()) return ERROR_ACCESS_DENIED;
    // As the system hands it out: one block for LocalFree, which owner and
    // dacl point into, so the caller must take it.
    if (!descriptor) return ERROR_INVALID_PARAMETER;
    PSECURITY_DESCRIPTOR copy = LocalAlloc(LMEM_FIXED, found->second.size());
    if (!copy) return ERROR_NOT_ENOUGH_MEMORY;
    memcpy(copy, found->second.data(), found->second.size());
    BOOL present = FALSE, defaulted = FALSE;
    if (owner) GetSecurityDescriptorOwner(copy, owner, &defaulted);
    if (group) *group = nullptr;
    if (dacl) GetSecurityDescriptorDacl(copy, &present, dacl, &defaulted);
    if (sacl) *sacl = nullptr;
    *descriptor = copy;
    return ERROR_SUCCESS;
}

// Keeps owner and DACL as given; the protection asked for shows as "P", a
// DACL that takes what its folder passes on as "AI", as Windows shows them.
DWORD WINAPI setNamedSecurityInfo(LPSTR path, SE_OBJECT_TYPE, SECURITY_INFORMATION info, PSID owner, PSID,
                                  PACL dacl, PACL) {
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return GetLastError();
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    if (info & OWNER_SECURITY_INFORMATION) SetSecurityDescriptorOwner(&descriptor, owner, FALSE);
    if (info & DACL_SECURITY_INFORMATION) SetSecurityDescriptorDacl(&descriptor, TRUE, dacl, FALSE);
    if (info & PROTECTED_DACL_SECURITY_INFORMATION)
        SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    if (info & UNPROTECTED_DACL_SECURITY_INFORMATION)
        SetSecurityDescriptorControl(&descriptor, SE_DACL_AUTO_INHERITED, SE_DACL_AUTO_INHERITED);
    keepDescriptor(path, &descriptor);
    return ERROR_SUCCESS;
}

}  // namespace

SecurityStore::SecurityStore() : calls_(folderSecurityCalls) {
    kept.clear();
    calls_->createDirectory = createDirectory;
    calls_->getNamedSecurityInfo = getNamedSecurityInfo;
    calls_->setNamedSecurityInfo = setNamedSecurityInfo;
}

SecurityStore::~SecurityStore() { kept.clear(); }

void SecurityStore::keep(const std::string& path, const char* sddl) {
    if (sddl == std::string(kUnreadable)) {
        kept[keyOf(path.c_str())].clear();
        return;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr)) return;
    keepDescriptor(path.c_str(), descriptor);
    LocalFree(descriptor);
}

std::string SecurityStore::read(const std::string& path) {
    if (!kept.count(keyOf(path.c_str()))) return "";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (folderSecurityCalls.getNamedSecurityInfo(path.c_str(), SE_FILE_OBJECT,
                                                 OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                                                 nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return kUnreadable;
    std::string text = sddl(descriptor);
    LocalFree(descriptor);
    return text;
}

std::string sddl(PSECURITY_DESCRIPTOR descriptor) {
    char* text = nullptr;
    if (!descriptor || !ConvertSecurityDescriptorToStringSecurityDescriptorA(
                           descriptor, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text,
                           nullptr))
        return "";
    std::string kept = text;
    LocalFree(text);
    return kept;
}

}  // namespace security_support
