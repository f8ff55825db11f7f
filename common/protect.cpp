#include "common/protect.h"
#include <sddl.h>
#include "common/text.h"

namespace {
// FILE_ALL_ACCESS for Administrators (BA) and SYSTEM (SY); FILE_GENERIC_READ
// | FILE_GENERIC_EXECUTE for Users (BU). "P": no entry of the parent's is
// inherited. Rights as numbers: the letter forms vary between releases.
const char kFolderDacl[] = "D:P(A;OICI;0x1f01ff;;;BA)(A;OICI;0x1f01ff;;;SY)(A;OICI;0x1200a9;;;BU)";
const char kFileDacl[] = "D:P(A;;0x1f01ff;;;BA)(A;;0x1f01ff;;;SY)(A;;0x1200a9;;;BU)";
}  // namespace

ProtectedSecurity::ProtectedSecurity(bool folder) : attributes_() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(folder ? kFolderDacl : kFileDacl, SDDL_REVISION_1,
                                                             &descriptor, nullptr))
        descriptor_.reset(descriptor);
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_.get();
    attributes_.bInheritHandle = FALSE;
}

bool reparsePointOnPath(const char* path, FileAttributesFn attributes) {
    char prefix[MAX_PATH];
    if (!text::copy(prefix, path)) return true;  // what cannot be walked is not trusted
    // The drive ("C:") or the share ("\\server\share") is where the walk starts.
    int skip = prefix[0] == '\\' && prefix[1] == '\\' ? 4 : 1;
    bool named = false;  // a name since the last separator
    for (char* p = prefix;; p = CharNextA(p)) {
        bool end = *p == '\0';
        if (!end && !text::isSeparator(*p, true)) {
            named = true;
            continue;
        }
        if (skip > 0) {
            --skip;
        } else if (named) {
            char kept = *p;
            *p = '\0';
            DWORD found = attributes(prefix);
            *p = kept;
            if (found == INVALID_FILE_ATTRIBUTES) {
                DWORD error = GetLastError();
                return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
            }
            if (found & FILE_ATTRIBUTE_REPARSE_POINT) return true;
        }
        if (end) return false;
        named = false;
    }
}

bool isPlainDiskFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
           info.nNumberOfLinks == 1;
}

HANDLE holdPlainFolder(const char* path) {
    FileHandle folder(CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!folder || !GetFileInformationByHandle(folder.get(), &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return INVALID_HANDLE_VALUE;
    return folder.release();
}
