#include "tests/support/install_support.h"
#include <objbase.h>
#include <winioctl.h>
#include <cstring>
#include <shlobj.h>
#include <cstdio>
#include <sddl.h>
#include <aclapi.h>
#include "tests/support/support.h"

namespace install_support {

namespace {
// Wine keeps its drive letters as links that its mount manager makes (the way
// winecfg does); a DOS device name alone does not reach its file system.
struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
const DWORD kDefineUnixDrive = CTL_CODE(static_cast<ULONG>('m'), 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

bool defineWineDrive(char letter, const std::string& folder, UINT type) {
    const bool add = type != DRIVE_NO_ROOT_DIR;
    const std::string unixPath = add ? testing_support::unixPathOf(folder) : "";
    if (add && unixPath.empty()) return false;
    std::string buffer(sizeof(UnixDrive) + unixPath.size() + 1, '\0');
    UnixDrive* drive = reinterpret_cast<UnixDrive*>(&buffer[0]);
    drive->size = static_cast<ULONG>(buffer.size());
    drive->type = type;
    drive->letter = static_cast<WCHAR>(letter - 'A' + 'a');
    if (add) {
        drive->mountPointOffset = sizeof(UnixDrive);
        memcpy(&buffer[sizeof(UnixDrive)], unixPath.c_str(), unixPath.size() + 1);
    }
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    BOOL done = DeviceIoControl(manager, kDefineUnixDrive, &buffer[0], drive->size, nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return done != FALSE;
}
}  // namespace

MappedDrive::MappedDrive(const std::string& folder, UINT type) : folder_(folder), type_(type) {
    DWORD used = GetLogicalDrives();
    for (char c = 'D'; c <= 'Y'; ++c) {
        if (used & (1u << (c - 'A'))) continue;
        std::string letter = std::string(1, c) + ":";
        if (defineWineDrive(c, folder, type_)) {
            wine_ = true;
            letter_ = letter;
        } else if (DefineDosDeviceA(0, letter.c_str(), folder.c_str())) {
            letter_ = letter;
        }
        if (!letter_.empty()) return;
    }
}

MappedDrive::~MappedDrive() {
    if (letter_.empty()) return;
    if (wine_)
        defineWineDrive(letter_[0], folder_, DRIVE_NO_ROOT_DIR);
    else
        DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, letter_.c_str(), folder_.c_str());
}

namespace {
// Everyone may do anything with the key but set its values; the second DACL
// gives that back so the key can be deleted.
bool setKeyAcl(HKEY root, const char* key, const char* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr)) return false;
    HKEY h;
    bool set = false;
    if (RegOpenKeyExA(root, key, 0, WRITE_DAC, &h) == ERROR_SUCCESS) {
        set = RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
        RegCloseKey(h);
    }
    LocalFree(sd);
    return set;
}
const char kAllowAll[] = "D:(A;;KA;;;WD)";
}  // namespace

KeyRefusingValues::KeyRefusingValues(HKEY root, const char* key, REGSAM refused) : root_(root), key_(key) {
    HKEY h;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_READ, nullptr, &h, nullptr) != ERROR_SUCCESS) return;
    RegCloseKey(h);
    char refuse[64];
    snprintf(refuse, sizeof refuse, "D:(D;;0x%lx;;;WD)(A;;KA;;;WD)", static_cast<unsigned long>(refused));
    if (!setKeyAcl(root, key, refuse)) return;
    // Refused as the code under test will be refused: opened for that access.
    LONG status = RegOpenKeyExA(root, key, 0, refused, &h);
    if (status == ERROR_SUCCESS) RegCloseKey(h);
    ready_ = status == ERROR_ACCESS_DENIED;
}

KeyRefusingValues::~KeyRefusingValues() {
    setKeyAcl(root_, key_.c_str(), kAllowAll);
    testing_support::regDeleteTree(root_, key_.c_str());
}

bool letEveryoneWrite(const std::string& folder) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &sd, nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
    std::string path = folder;
    bool set = SetNamedSecurityInfoA(&path[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                                     nullptr) == ERROR_SUCCESS;
    LocalFree(sd);
    return set;
}

LinkContents readLink(const std::string& linkPath) {
    LinkContents contents;
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            contents.loaded = true;
            char buffer[1024] = "";
            WIN32_FIND_DATAA found;
            if (SUCCEEDED(link->GetPath(buffer, sizeof buffer, &found, SLGP_RAWPATH))) contents.target = buffer;
            buffer[0] = '\0';
            if (SUCCEEDED(link->GetDescription(buffer, sizeof buffer))) contents.description = buffer;
            buffer[0] = '\0';
            if (SUCCEEDED(link->GetWorkingDirectory(buffer, sizeof buffer))) contents.workingDirectory = buffer;
            buffer[0] = '\0';
            if (SUCCEEDED(link->GetArguments(buffer, sizeof buffer))) contents.arguments = buffer;
        }
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return contents;
}

HANDLE holdExclusively(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

BOOL WINAPI readOtherBytes(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED overlapped) {
    BOOL read = ReadFile(file, buffer, size, got, overlapped);
    if (read && *got) static_cast<BYTE*>(buffer)[*got / 2] ^= 1;
    return read;
}

std::string pathOfLength(size_t length) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string path = temp;
    path += "long";
    while (path.size() < length) {
        path += (path.size() % 40 == 0 && path.size() + 1 < length) ? '\\' : 'x';
    }
    return path.substr(0, length);
}

}  // namespace install_support
