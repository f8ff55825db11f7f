// The little of <windows.h> that the command-line parser and the bounded
// text helpers use, for a host build of the parser under the sanitizers.
// The host's code page is single-byte: each character is one byte.
#pragma once
#include <stddef.h>
#include <string.h>
#include <strings.h>

typedef int BOOL;
typedef unsigned long DWORD;
typedef long HRESULT;
typedef unsigned long LCID;

#define MAX_PATH 260
#define SUCCEEDED(hr) ((HRESULT)(hr) >= 0)
#define LOCALE_SYSTEM_DEFAULT 0x800
#define NORM_IGNORECASE 0x1
#define CSTR_EQUAL 2

inline char* CharNextA(const char* p) { return const_cast<char*>(*p ? p + 1 : p); }
inline void ZeroMemory(void* p, size_t n) { memset(p, 0, n); }
inline int CompareStringA(LCID, DWORD, const char* a, int lengthA, const char* b, int lengthB) {
    return lengthA == lengthB && strncasecmp(a, b, static_cast<size_t>(lengthA)) == 0 ? CSTR_EQUAL : 1;
}
