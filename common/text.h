// Bounded text into fixed buffers. Everything that writes a string into a
// char[N] goes through these: nothing can be written past N characters, and
// each returns true only when the whole text fitted.
#pragma once
#include <windows.h>
#include <stdarg.h>
#include <strsafe.h>

namespace text {

inline bool formatV(char* out, size_t capacity, const char* format, va_list args) {
    if (capacity == 0) return false;
    HRESULT hr = StringCchVPrintfA(out, capacity, format, args);
    return SUCCEEDED(hr);
}

inline bool formatInto(char* out, size_t capacity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    bool complete = formatV(out, capacity, format, args);
    va_end(args);
    return complete;
}

template <size_t N>
bool format(char (&out)[N], const char* format, ...) {
    va_list args;
    va_start(args, format);
    bool complete = formatV(out, N, format, args);
    va_end(args);
    return complete;
}

inline bool copyInto(char* out, size_t capacity, const char* source) {
    if (capacity == 0) return false;
    return SUCCEEDED(StringCchCopyA(out, capacity, source ? source : ""));
}

template <size_t N>
bool copy(char (&out)[N], const char* source) {
    return copyInto(out, N, source);
}

template <size_t N>
bool append(char (&out)[N], const char* tail) {
    return SUCCEEDED(StringCchCatA(out, N, tail ? tail : ""));
}

// Drops one trailing backslash or slash; folders are kept without one.
inline void dropTrailingSeparator(char* path) {
    size_t length = lstrlenA(path);
    if (length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/')) path[length - 1] = '\0';
}

inline bool endsWith(const char* s, char c) {
    size_t length = lstrlenA(s);
    return length > 0 && s[length - 1] == c;
}

}  // namespace text
