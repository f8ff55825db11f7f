// Helpers for the installation-step tests: a drive letter mapped onto a
// temp folder, a key refusing its values, and shell
// links read back through the shell (the one link reader of the tests).
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "common/sha256.h"
#include "tests/support/support.h"

namespace install_support {

// A drive letter mapped onto a folder for the object's lifetime (the first
// free letter from D: on), through Wine's mount manager as a drive of that
// type or, on Windows, as a DOS device. letter() is empty when no mapping
// could be made.
class MappedDrive {
public:
    explicit MappedDrive(const std::string& folder, UINT type = DRIVE_FIXED);
    ~MappedDrive();
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;
    const std::string& letter() const { return letter_; }  // "D:"

private:
    std::string letter_;
    std::string folder_;
    UINT type_;
    bool wine_ = false;
};

// The bytes a REG_SZ value holds when written with its NUL counted.
inline std::string withNul(const std::string& s) { return s + '\0'; }

// A key whose DACL denies everyone KEY_SET_VALUE, so that it refuses every
// value written into it, or the access given (Wine does not deny DELETE),
// for the object's lifetime; it is deleted with the object. ready() is
// false when it could not be made so.
class KeyRefusingValues {
public:
    KeyRefusingValues(HKEY root, const char* key, REGSAM refused = KEY_SET_VALUE);
    ~KeyRefusingValues();
    KeyRefusingValues(const KeyRefusingValues&) = delete;
    KeyRefusingValues& operator=(const KeyRefusingValues&) = delete;
    bool ready() const { return ready_; }

private:
    HKEY root_;
    std::string key_;
    bool ready_ = false;
};

// A shell link file as the shell itself reads it back.
struct LinkContents {
    bool loaded = false;
    std::string target;
    std::string description;
    std::string workingDirectory;
    std::string arguments;
};
LinkContents readLink(const std::string& linkPath);

// Gives Everyone full control of a folder and what it passes on; Wine,
// which keeps no ACLs, makes the folder writable for all (o+w) and reads it
// back so.
bool letEveryoneWrite(const std::string& folder);

// A file held open without sharing, as Word holds its add-in.
HANDLE holdExclusively(const std::string& path);

// ReadFile as a share's server may answer it: other bytes than the file
// has (one bit of each piece read turned over).
BOOL WINAPI readOtherBytes(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED overlapped);

// A folder path of exactly `length` characters under the temp folder.
std::string pathOfLength(size_t length);

// Bytes in lower-case hex, as the payload table writes a digest.
inline std::string hexOf(const BYTE* bytes, size_t size) {
    std::string out;
    for (size_t i = 0; i < size; ++i) out += {"0123456789abcdef"[bytes[i] >> 4], "0123456789abcdef"[bytes[i] & 15]};
    return out;
}

// A payload table, as the release build writes it, of the named files in
// folder as they are now: a release whose files these are. Inline, so that
// only the programs that call it need the product's SHA-256.
inline std::string payloadTableOf(const std::string& folder, const std::vector<std::string>& names) {
    std::string table;
    for (const std::string& name : names) {
        const std::string data = testing_support::readFile(folder + "\\" + name);
        Sha256 hash;
        hash.add(data.data(), data.size());
        BYTE digest[Sha256::kSize];
        hash.finish(digest);
        table += hexOf(digest, sizeof digest) + " " + std::to_string(data.size()) + " " + name + "\n";
    }
    return table;
}

}  // namespace install_support
