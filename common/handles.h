// One small owner per handle kind, each with its own empty value, so that a
// handle is released on every way out of the operation that took it.
#pragma once
#include <windows.h>
#include <winspool.h>
#include <objbase.h>

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() : handle_(Traits::empty()) {}
    explicit UniqueHandle(Handle h) : handle_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != Traits::empty(); }
    explicit operator bool() const { return valid(); }
    Handle* receive() { reset(); return &handle_; }
    Handle release() { Handle h = handle_; handle_ = Traits::empty(); return h; }
    void reset(Handle h = Traits::empty()) {
        if (handle_ != Traits::empty()) Traits::close(handle_);
        handle_ = h;
    }

private:
    Handle handle_;
};

struct RegKeyTraits {
    static HKEY empty() { return nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
struct FileTraits {  // CreateFile and FindFirstFile both fail with INVALID_HANDLE_VALUE
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct FindTraits {
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
struct KernelTraits {  // processes, threads, mutexes: null when absent
    static HANDLE empty() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct PrinterTraits {
    static HANDLE empty() { return nullptr; }
    static void close(HANDLE h) { ClosePrinter(h); }
};
struct LibraryTraits {
    static HMODULE empty() { return nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};
struct GdiTraits {
    static HGDIOBJ empty() { return nullptr; }
    static void close(HGDIOBJ h) { DeleteObject(h); }
};
struct LocalMemTraits {
    static HLOCAL empty() { return nullptr; }
    static void close(HLOCAL h) { LocalFree(h); }
};

using RegKey = UniqueHandle<HKEY, RegKeyTraits>;
using FileHandle = UniqueHandle<HANDLE, FileTraits>;
using FindHandle = UniqueHandle<HANDLE, FindTraits>;
using KernelHandle = UniqueHandle<HANDLE, KernelTraits>;
using PrinterHandle = UniqueHandle<HANDLE, PrinterTraits>;
using Library = UniqueHandle<HMODULE, LibraryTraits>;
using GdiObject = UniqueHandle<HGDIOBJ, GdiTraits>;
using LocalMem = UniqueHandle<HLOCAL, LocalMemTraits>;

// A zero-filled block from the process heap for enumeration results.
class Buffer {
public:
    explicit Buffer(DWORD size) : data_(size ? (BYTE*)LocalAlloc(LPTR, size) : nullptr), size_(data_ ? size : 0) {}
    ~Buffer() { if (data_) LocalFree(data_); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    BYTE* get() const { return data_; }
    DWORD size() const { return size_; }

private:
    BYTE* data_;
    DWORD size_;
};

// A COM interface pointer, released when it goes out of scope.
template <typename T>
class ComPtr {
public:
    ComPtr() : p_(nullptr) {}
    ~ComPtr() { if (p_) p_->Release(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    void** receive() { if (p_) { p_->Release(); p_ = nullptr; } return reinterpret_cast<void**>(&p_); }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_;
};
