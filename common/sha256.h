// SHA-256 (FIPS 180-4). Windows 2000's CryptoAPI has no provider for it.
#pragma once
#include <windows.h>

class Sha256 {
public:
    static const size_t kSize = 32;
    Sha256();
    void add(const void* data, size_t size);
    // The digest of everything added; the object is used up.
    void finish(BYTE (&digest)[kSize]);

private:
    void block(const BYTE* data);
    DWORD state_[8];
    BYTE pending_[64];
    size_t pendingSize_;
    unsigned long long length_;  // in bytes
};
