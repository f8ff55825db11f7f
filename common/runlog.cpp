#include "common/runlog.h"
#include <stdarg.h>
#include "common/errorreport.h"
#include "common/foldersecurity.h"
#include "common/handles.h"
#include "common/protect.h"
#include "common/text.h"

namespace {
FileHandle logFile;

// Whatever the name leads to, opened, a pipe server may learn who opens it
// but never act as them; and a link is opened itself, not its target.
const DWORD kOpenAsIs = FILE_FLAG_OPEN_REPARSE_POINT | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;

// One line of the log: line breaks inside a text (the error reports and the
// system's messages have them) would split a step over several lines.
void flatten(char* line) {
    for (char* p = line; *p; p = CharNextA(p))
        if (*p == '\r' || *p == '\n' || *p == '\t') *p = ' ';
}
}  // namespace

namespace runlog {

bool open(const char* path) {
    logFile.reset();
    // The flag below keeps only the last name from being followed: a
    // junction on the way would lead the deletion and the creation to a place
    // of its maker's choosing. Every folder above is held, checked to be no
    // link, until the log is made; a drive's root cannot be a link.
    char folder[MAX_PATH];
    text::folderOfPath(path, folder);
    FolderWalk walk(folder);
    const bool root = walk.valid() && !walk.next();
    HeldFolders held(folder);
    if (!root && !held.safe()) return false;
    // What is there goes when this handle closes: the name alone, be it a
    // link or one of a file's names. Nothing but a file on a disk is touched.
    FileHandle earlier(CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, kOpenAsIs | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (earlier && GetFileType(earlier.get()) != FILE_TYPE_DISK) return false;
    earlier.reset();
    AdminOnlySecurity security(AdminOnlySecurity::kOwnedByCreator);
    if (!security.attributes()) return false;
    // Append access alone: every line goes to the end, whoever holds the file too.
    FileHandle file(CreateFileA(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ,
                                security.attributes(), CREATE_NEW, FILE_ATTRIBUTE_NORMAL | kOpenAsIs, nullptr));
    if (!file || !isPlainDiskFile(file.get())) return false;
    logFile.reset(file.release());
    return true;
}

bool adopt(HANDLE inherited) {
    logFile.reset();
    // Any handle of this process may stand behind the number: only a plain
    // file is taken, and nothing else is closed.
    if (!inherited || inherited == INVALID_HANDLE_VALUE || !isPlainDiskFile(inherited)) return false;
    logFile.reset(inherited);
    return true;
}

void close() { logFile.reset(); }

bool isOpen() { return static_cast<bool>(logFile); }

HANDLE handle() { return logFile ? logFile.get() : nullptr; }

void write(const char* format, ...) {
    if (!logFile) return;
    char body[1024];
    va_list args;
    va_start(args, format);
    text::formatV(body, sizeof body, format, args);  // a cut line is still worth having
    va_end(args);
    flatten(body);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[1100];
    text::format(line, "%04u-%02u-%02u %02u:%02u:%02u  %s\r\n", now.wYear, now.wMonth, now.wDay, now.wHour,
                 now.wMinute, now.wSecond, body);
    DWORD written = 0;
    WriteFile(logFile.get(), line, lstrlenA(line), &written, nullptr);
}

int step(const char* name, int result) {
    if (result)
        write("%s: done", name);
    else
        write("%s: failed: %s", name, errorText);
    return result;
}

}  // namespace runlog
