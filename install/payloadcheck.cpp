// The payload beside setup.exe is often in a folder that any user can write.
// Each file is checked against the table that the release build wrote into
// setup.exe, through a handle that nobody can write while the run holds it,
// and copied from that same handle.
#include "common/errorreport.h"
#include "common/handles.h"
#include "common/installer.h"
#include "common/payload.h"
#include "common/sha256.h"
#include "common/text.h"
#include "install/install.h"
#include "resources/resource.h"

namespace {

// Reads one line "<64 hex digits> <size> <name>"; false when it is not one.
bool parseRow(const char* line, const char* end, PayloadRow& row) {
    const char* p = line;
    for (size_t i = 0; i < Sha256::kSize; ++i, p += 2) {
        int high = p + 1 < end ? text::hexDigit(p[0]) : -1, low = high >= 0 ? text::hexDigit(p[1]) : -1;
        if (low < 0) return false;
        row.digest[i] = static_cast<BYTE>(high * 16 + low);
    }
    if (p >= end || *p++ != ' ' || p >= end || *p < '0' || *p > '9') return false;
    unsigned long long size = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        size = size * 10 + (*p - '0');
        if (size > MAXDWORD) return false;
    }
    row.size = static_cast<DWORD>(size);
    if (p >= end || *p++ != ' ' || end - p >= MAX_PATH) return false;
    row.name = p;
    row.nameLength = static_cast<int>(end - p);
    return true;
}

}  // namespace

bool findPayloadRow(const PayloadTable& table, const char* name, PayloadRow& row) {
    const char* end = table.text ? table.text + table.size : nullptr;
    for (const char* line = table.text; line && line < end;) {
        const char* next = line;
        while (next < end && *next != '\n') ++next;
        const char* lineEnd = next > line && next[-1] == '\r' ? next - 1 : next;
        if (parseRow(line, lineEnd, row) && text::sameAsciiName(row.name, row.nameLength, name)) return true;
        line = next + 1;
    }
    return false;
}

bool readAsRecorded(HANDLE file, const PayloadRow& row, HANDLE copy) {
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
    Sha256 hash;
    BYTE buffer[16384];
    DWORD total = 0, got = 0, put = 0;
    BOOL read;
    while ((read = fileCalls.readFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) {
        // Past the row's size it is some other file: nothing more is written.
        if (got > row.size - total) break;
        total += got;
        hash.add(buffer, got);
        if (copy && !(WriteFile(copy, buffer, got, &put, nullptr) && put == got)) return false;
    }
    if (!read) return false;
    BYTE digest[Sha256::kSize];
    hash.finish(digest);
    if (got == 0 && total == row.size && memcmp(digest, row.digest, sizeof digest) == 0) return true;
    SetLastError(ERROR_FILE_CORRUPT);
    return false;
}

PayloadTable releasePayloadTable() {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(IDR_PAYLOAD_TABLE), MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(self, found) : nullptr;
    const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return PayloadTable{text, text ? SizeofResource(self, found) : 0};
}

HANDLE openCheckedFile(const PayloadTable& table, const char* path, const char* name) {
    // Read sharing only: while the handle is held nobody can write, replace,
    // rename or delete the file, so what is copied later is what was checked.
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file) return INVALID_HANDLE_VALUE;
    PayloadRow row;
    DWORD high = 0;
    if (!findPayloadRow(table, name, row) || GetFileSize(file.get(), &high) != row.size || high != 0) {
        SetLastError(ERROR_FILE_CORRUPT);
        return INVALID_HANDLE_VALUE;
    }
    return readAsRecorded(file.get(), row, nullptr) ? file.release() : INVALID_HANDLE_VALUE;
}

HANDLE Installer::checkedFile(const ProductFile& file) {
    for (size_t i = 0; i < kProductFileCount; ++i) {
        if (&kProductFiles[i] != &file) continue;
        if (!checkedFiles[i]) {
            char path[MAX_PATH];
            if (!text::format(path, "%s\\%s", sourceDir, file.name)) {
                SetLastError(ERROR_FILENAME_EXCED_RANGE);  // never open a cut path
                return INVALID_HANDLE_VALUE;
            }
            checkedFiles[i].reset(openCheckedFile(payloadTable, path, file.name));
        }
        return checkedFiles[i].get();
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
}

bool Installer::copyCheckedFile(const ProductFile& file, const char* target) {
    HANDLE source = checkedFile(file);
    PayloadRow row;
    if (source == INVALID_HANDLE_VALUE) return false;
    if (!findPayloadRow(payloadTable, file.name, row)) {
        SetLastError(ERROR_FILE_CORRUPT);
        return false;
    }
    // What the copy reads is checked again as it is copied: on a share, the
    // server may hand it bytes other than those it handed the check.
    return copyFromHandle(source, target, row);
}

int Installer::checkPayload() {
    for (const ProductFile& file : kProductFiles) {
        bool copied = file.copiedTo != FileFolder::None && (addWordAddin || file.role != FileRole::WordAddin);
        if (copied && checkedFile(file) == INVALID_HANDLE_VALUE) {
            reportError(file.copyTag, 0);
            return 0;
        }
    }
    return 1;
}
