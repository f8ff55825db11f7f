// Registry primitives against Wine's real registry.
#include <gtest/gtest.h>
#include "common/registry.h"
#include "tests/support/support.h"

namespace {
const char kTestKey[] = "Software\\OrlanTests\\Registry";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { testing_support::regDeleteTree(HKEY_CURRENT_USER, kTestKey); }
    void TearDown() override { testing_support::regDeleteTree(HKEY_CURRENT_USER, kTestKey); }
    void setRaw(const char* name, DWORD type, const void* data, DWORD size) {
        ASSERT_TRUE(testing_support::regSet(HKEY_CURRENT_USER, kTestKey, name, type, data, size));
    }
};

// Text comes back as stored (expandable text too); anything else, a value
// that does not fit with its NUL, and a missing one give the default (or "").
// A number lands as its raw bytes. The buffer is never overrun.
TEST_F(RegistryTest, ReadsStringsAndFallsBackToTheDefault) {
    const std::string exact(259, 'E'), longText(400, 'L'), unterminated(260, 'U');
    const DWORD number = 0x00333231;  // "123" and a NUL, little-endian
    const struct {
        const char* name;
        DWORD type;
        const void* data;
        DWORD size;  // 0: not stored
        const char* fallback;
        bool found;
        std::string out;
    } cases[] = {
        {"Text", REG_SZ, "C:\\Apps\\", 9, "dflt", true, "C:\\Apps\\"},
        {"Expand", REG_EXPAND_SZ, "%TEMP%\\x", 9, "dflt", true, "%TEMP%\\x"},
        {"Binary", REG_BINARY, "abc", 3, "dflt", false, "dflt"},
        {"Missing", REG_NONE, nullptr, 0, "dflt", false, "dflt"},
        {"Missing", REG_NONE, nullptr, 0, nullptr, false, ""},
        {"Exact", REG_SZ, exact.c_str(), 260, "dflt", true, exact},
        {"Long", REG_SZ, longText.c_str(), 401, "dflt", false, "dflt"},
        {"Unterminated", REG_SZ, unterminated.c_str(), 260, "dflt", false, "dflt"},
        {"Number", REG_DWORD, &number, 4, "d", true, "123"},
    };
    for (const auto& c : cases) {
        if (c.size) setRaw(c.name, c.type, c.data, c.size);
        struct {
            char out[MAX_PATH];
            char guard[16];
        } area;
        memset(&area, 0x5A, sizeof area);
        EXPECT_EQ(c.found, readRegString(HKEY_CURRENT_USER, kTestKey, c.name, area.out, c.fallback)) << c.name;
        EXPECT_EQ(c.out, area.out) << c.name;
        for (char g : area.guard) ASSERT_EQ(0x5A, static_cast<unsigned char>(g)) << c.name;
    }
}

TEST_F(RegistryTest, ReadingFromAMissingKeyCreatesIt) {
    std::string sub = std::string(kTestKey) + "\\New";
    char out[MAX_PATH];
    EXPECT_FALSE(readRegString(HKEY_CURRENT_USER, sub.c_str(), "Value", out, "x"));
    EXPECT_STREQ("x", out);
    EXPECT_TRUE(testing_support::regKeyExists(HKEY_CURRENT_USER, sub.c_str()));
}

// Text with its NUL and numbers as four bytes are read back byte for byte in
// the records' test (RegistryRecords); other types are not written.
TEST_F(RegistryTest, WritesTextAndNumbersOnlyAndReportsARefusal) {
    EXPECT_TRUE(writeRegValue(HKEY_CURRENT_USER, kTestKey, "Binary", "zz", REG_BINARY));
    EXPECT_FALSE(testing_support::regValue(HKEY_CURRENT_USER, kTestKey, "Binary", nullptr));

    // The key opens, but the registry refuses a name past its limit of
    // 16,383 characters: nothing stored is no success.
    const std::string refusedName(20000, 'n');
    SetLastError(0);
    EXPECT_FALSE(writeRegValue(HKEY_CURRENT_USER, kTestKey, refusedName.c_str(), "1", REG_SZ));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError()) << "the registry's own answer";
}

TEST_F(RegistryTest, DeletesANestedTreeWholeAndReportsAMissingKey) {
    std::string deep = std::string(kTestKey) + "\\A\\B\\C";
    std::string side = std::string(kTestKey) + "\\A\\Side";
    ASSERT_TRUE(writeRegValue(HKEY_CURRENT_USER, deep.c_str(), "v", "1", REG_SZ));
    ASSERT_TRUE(writeRegValue(HKEY_CURRENT_USER, side.c_str(), "v", "1", REG_SZ));
    EXPECT_EQ(ERROR_SUCCESS, deleteRegTree(HKEY_CURRENT_USER, kTestKey));
    EXPECT_FALSE(testing_support::regKeyExists(HKEY_CURRENT_USER, kTestKey));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, deleteRegTree(HKEY_CURRENT_USER, kTestKey));
}
}  // namespace

namespace {
// A link key in the user's hive to target under HKEY_LOCAL_MACHINE, as any
// program of the user's may make one.
bool makeLink(const char* link, const char* target) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, link, 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    std::wstring path = L"\\REGISTRY\\MACHINE\\";
    for (const char* c = target; *c; ++c) path += static_cast<wchar_t>(*c);
    LONG status = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(path.c_str()),
                                 static_cast<DWORD>(path.size() * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}
}  // namespace

// A link in the key's place, or on its way, is never followed: the link
// goes, and the machine's key it names stays whole.
TEST_F(RegistryTest, ALinkIsDeletedItselfAndItsTargetStays) {
    const char kTarget[] = "Software\\OrlanTests\\Target";
    const std::string inside = std::string(kTarget) + "\\Inside";
    const std::string linkHere = std::string(kTestKey) + "\\Linked", linkOnTheWay = std::string(kTestKey) + "\\Via";
    ASSERT_TRUE(writeRegValue(HKEY_LOCAL_MACHINE, inside.c_str(), "v", "keep", REG_SZ));
    ASSERT_TRUE(writeRegValue(HKEY_CURRENT_USER, kTestKey, "v", "1", REG_SZ));
    ASSERT_TRUE(makeLink(linkHere.c_str(), kTarget));
    ASSERT_TRUE(makeLink(linkOnTheWay.c_str(), kTarget));
    ASSERT_TRUE(testing_support::regValue(HKEY_CURRENT_USER, (linkHere + "\\Inside").c_str(), "v", nullptr))
        << "the link does not lead to its target";

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, deleteRegTree(HKEY_CURRENT_USER, (linkOnTheWay + "\\Inside").c_str()));
    EXPECT_EQ(ERROR_SUCCESS, deleteRegTree(HKEY_CURRENT_USER, linkHere.c_str()));
    EXPECT_EQ(ERROR_SUCCESS, deleteRegTree(HKEY_CURRENT_USER, kTestKey)) << "a tree with a link inside";
    EXPECT_FALSE(testing_support::regKeyExists(HKEY_CURRENT_USER, kTestKey));
    EXPECT_TRUE(testing_support::regValue(HKEY_LOCAL_MACHINE, inside.c_str(), "v", nullptr));
    testing_support::regDeleteTree(HKEY_LOCAL_MACHINE, "Software\\OrlanTests");
}
