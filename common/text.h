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

// Paths are walked a character at a time, never a byte: in a double-byte
// code page a trail byte may be 0x5C, as in code page 932's ソ (0x83 0x5C) or
// 表 (0x95 0x5C), and a byte taken for a backslash cuts the name inside a
// character. CharNextA steps by the ANSI code page's rules.
inline bool isSeparator(char c, bool slashToo) { return c == '\\' || (slashToo && c == '/'); }

// A drive letter.
inline bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The product's own names (its files, its switches) are ASCII: compared with
// ASCII case folding and no locale (Windows 2000 knows no invariant locale,
// and a user's locale may fold letters differently, as Turkish does "i").
inline char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether the first length characters of a (all of it for -1) are the name
// b, ASCII letters in any case and every other byte as it is.
inline bool sameAsciiName(const char* a, int length, const char* b) {
    int i = 0;
    for (; length < 0 ? a[i] != '\0' : i < length; ++i)
        if (!b[i] || asciiUpper(a[i]) != asciiUpper(b[i])) return false;
    return !b[i];
}

// A hexadecimal digit's value, either case; -1 for any other character.
inline int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The last character of path that is a backslash (or, with slashToo, a
// slash); null when there is none.
inline const char* lastSeparator(const char* path, bool slashToo = false) {
    const char* found = nullptr;
    for (const char* p = path; p && *p; p = CharNextA(p))
        if (isSeparator(*p, slashToo)) found = p;
    return found;
}
inline char* lastSeparator(char* path, bool slashToo = false) {
    return const_cast<char*>(lastSeparator(static_cast<const char*>(path), slashToo));
}

// The folder that holds path: path up to its last backslash or slash (all
// of it when there is none); "" when it does not fit.
inline void folderOfPath(const char* path, char (&out)[MAX_PATH]) {
    if (!copy(out, path)) {
        out[0] = '\0';
        return;
    }
    if (char* cut = lastSeparator(out, true)) *cut = '\0';
}

// Whether the last character of path is a separator.
inline bool endsWithSeparator(const char* path, bool slashToo = false) {
    const char* last = lastSeparator(path, slashToo);
    return last && last[1] == '\0';
}

// Drops one trailing backslash or slash; folders are kept without one.
inline void dropTrailingSeparator(char* path) {
    char* last = lastSeparator(path, true);
    if (last && last[1] == '\0') *last = '\0';
}

}  // namespace text
