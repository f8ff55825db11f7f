#include "common/runlog.h"
#include <stdarg.h>
#include "common/errorreport.h"
#include "common/handles.h"
#include "common/text.h"

namespace {
FileHandle logFile;

// One line of the log: line breaks inside a text (the error reports and the
// system's messages have them) would split a step over several lines.
void flatten(char* line) {
    for (char* p = line; *p; p = CharNextA(p))
        if (*p == '\r' || *p == '\n' || *p == '\t') *p = ' ';
}
}  // namespace

namespace runlog {

bool open(const char* path, bool append) {
    // Appending needs no more than append access; emptying the file needs write access.
    logFile.reset(CreateFileA(path, append ? FILE_APPEND_DATA | SYNCHRONIZE : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return isOpen();
}

void close() { logFile.reset(); }

bool isOpen() { return static_cast<bool>(logFile); }

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
