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

TEST_F(RegistryTest, ReadsStringsAndFallsBackToTheDefault) {
    setRaw("Text", REG_SZ, "C:\\Apps\\", 9);
    setRaw("Expand", REG_EXPAND_SZ, "%TEMP%\\x", 9);
    setRaw("Binary", REG_BINARY, "abc", 3);
    char out[MAX_PATH];

    EXPECT_TRUE(readRegString(HKEY_CURRENT_USER, kTestKey, "Text", out, "dflt"));
    EXPECT_STREQ("C:\\Apps\\", out);
    EXPECT_TRUE(readRegString(HKEY_CURRENT_USER, kTestKey, "Expand", out, "dflt"));
    EXPECT_STREQ("%TEMP%\\x", out) << "expandable text comes back as stored";

    EXPECT_FALSE(readRegString(HKEY_CURRENT_USER, kTestKey, "Missing", out, "dflt"));
    EXPECT_STREQ("dflt", out);
    strcpy(out, "garbage");
    EXPECT_FALSE(readRegString(HKEY_CURRENT_USER, kTestKey, "Missing", out, nullptr));
    EXPECT_STREQ("", out);
    EXPECT_FALSE(readRegString(HKEY_CURRENT_USER, kTestKey, "Binary", out, "dflt"));
    EXPECT_STREQ("dflt", out);
}

TEST_F(RegistryTest, ReadingFromAMissingKeyCreatesIt) {
    std::string sub = std::string(kTestKey) + "\\New";
    char out[MAX_PATH];
    EXPECT_FALSE(readRegString(HKEY_CURRENT_USER, sub.c_str(), "Value", out, "x"));
    EXPECT_STREQ("x", out);
    EXPECT_TRUE(testing_support::regKeyExists(HKEY_CURRENT_USER, sub.c_str()));
}

TEST_F(RegistryTest, DwordLandsAsItsRawBytes) {
    DWORD value = 0x00333231;  // "123" and a NUL, little-endian
    setRaw("Number", REG_DWORD, &value, 4);
    char out[MAX_PATH];
    EXPECT_TRUE(readRegString(HKEY_CURRENT_USER, kTestKey, "Number", out, "d"));
    EXPECT_EQ(0, memcmp(out, &value, 4));
}

TEST_F(RegistryTest, AnOverlongValueNeverOverrunsTheBuffer) {
    std::string longText(400, 'L');
    setRaw("Long", REG_SZ, longText.c_str(), static_cast<DWORD>(longText.size() + 1));
    std::string exact(259, 'E');  // fits a 260-character buffer with its NUL
    setRaw("Exact", REG_SZ, exact.c_str(), static_cast<DWORD>(exact.size() + 1));
    std::string unterminated(260, 'U');  // fills the buffer with no NUL
    setRaw("Unterminated", REG_SZ, unterminated.c_str(), 260);

    struct {
        char out[MAX_PATH];
        char guard[16];
    } area;
    memset(area.guard, 0x5A, sizeof area.guard);
    EXPECT_FALSE(readRegString(HKEY_CURRENT_USER, kTestKey, "Long", area.out, "dflt"));
    EXPECT_STREQ("dflt", area.out) << "a value that does not fit counts as missing";
    EXPECT_FALSE(readRegString(HKEY_CURRENT_USER, kTestKey, "Unterminated", area.out, "dflt"));
    EXPECT_STREQ("dflt", area.out);
    EXPECT_TRUE(readRegString(HKEY_CURRENT_USER, kTestKey, "Exact", area.out, "dflt"));
    EXPECT_EQ(exact, area.out);
    for (char c : area.guard) ASSERT_EQ(0x5A, static_cast<unsigned char>(c));
}

TEST_F(RegistryTest, WritesTextWithItsNulAndNumbersAsFourBytes) {
    EXPECT_TRUE(writeRegValue(HKEY_CURRENT_USER, kTestKey, "Flag", "1", REG_SZ));
    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(testing_support::regValue(HKEY_CURRENT_USER, kTestKey, "Flag", &data, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("1\0", 2), data);

    DWORD number = 7;
    EXPECT_TRUE(writeRegValue(HKEY_CURRENT_USER, kTestKey, "Number", &number, REG_DWORD));
    ASSERT_TRUE(testing_support::regValue(HKEY_CURRENT_USER, kTestKey, "Number", &data, &type));
    EXPECT_EQ(std::string("\x07\0\0\0", 4), data);

    EXPECT_TRUE(writeRegValue(HKEY_CURRENT_USER, kTestKey, "Binary", "zz", REG_BINARY));
    EXPECT_FALSE(testing_support::regValue(HKEY_CURRENT_USER, kTestKey, "Binary", &data));

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
