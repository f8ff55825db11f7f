// strsafe's bounded copies for the host build: they never write past the
// buffer, cut what does not fit and say so, as the Windows functions do.
#pragma once
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#define STRSAFE_E_INSUFFICIENT_BUFFER ((HRESULT)0x8007007AL)

inline HRESULT StringCchVPrintfA(char* out, size_t capacity, const char* format, va_list args) {
    int length = vsnprintf(out, capacity, format, args);
    return length >= 0 && static_cast<size_t>(length) < capacity ? 0 : STRSAFE_E_INSUFFICIENT_BUFFER;
}
inline HRESULT StringCchCopyA(char* out, size_t capacity, const char* source) {
    size_t length = strlen(source);
    size_t kept = length < capacity ? length : capacity - 1;
    memcpy(out, source, kept);
    out[kept] = '\0';
    return kept == length ? 0 : STRSAFE_E_INSUFFICIENT_BUFFER;
}
inline HRESULT StringCchCatA(char* out, size_t capacity, const char* tail) {
    size_t used = strnlen(out, capacity);
    if (used == capacity) return STRSAFE_E_INSUFFICIENT_BUFFER;
    return StringCchCopyA(out + used, capacity - used, tail);
}
