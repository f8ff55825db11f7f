// The file system's store of descriptors, which Wine lacks: it keeps no
// ACLs and reads every file back as the user's own, made from its Unix mode.
#pragma once
#include <string>
#include "common/foldersecurity.h"
#include "tests/support/scoped_calls.h"

namespace security_support {

// While the object lives, folderSecurityCalls make folders for real and keep,
// per path, the descriptor each was made with or last given; reading such a
// path gives it back, reading any other gives what Wine makes up.
class SecurityStore {
public:
    SecurityStore();
    ~SecurityStore();
    SecurityStore(const SecurityStore&) = delete;
    SecurityStore& operator=(const SecurityStore&) = delete;
    // Keeps the descriptor written as SDDL for path, as if it had been set.
    void keep(const std::string& path, const char* sddl);
    // Owner and DACL of path as SDDL, read back through folderSecurityCalls;
    // "" when nothing is kept for it.
    std::string read(const std::string& path);

private:
    testing_support::ScopedCalls<FolderSecurityCalls> calls_;
};

// A descriptor's owner and DACL as SDDL ("" for none), as both the store and
// a test read it.
std::string sddl(PSECURITY_DESCRIPTOR descriptor);

// What the administrators' descriptor reads back as, and a file's that
// takes only what its folder passes on.
const char kAdminsOnly[] = "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
const char kInheritedOnly[] = "O:BAD:AI";
// A folder Users may change, as Windows keeps one made under C:\.
const char kUsersModify[] = "O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)";
// Kept for a path, it makes the reading of its descriptor fail with
// ERROR_ACCESS_DENIED, as for an administrator whom the DACL denies
// READ_CONTROL; read() then gives it back.
const char kUnreadable[] = "<unreadable>";

}  // namespace security_support
