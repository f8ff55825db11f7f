// The wizard pages' decisions that need no window: summary text, disk sizes,
// the folder after a disk click, the stored folder, the link hit test and
// the licence text.
#include <gtest/gtest.h>
#include <string>
#include "setup/page_logic.h"

namespace {

std::string summary(const char* folder, int addin, int startMenu, int allUsers) {
    char text[kSummaryCapacity];
    buildSummaryText(text, sizeof text, folder, addin, startMenu, allUsers);
    return text;
}

TEST(SummaryText, AllOptionsOn) {
    EXPECT_EQ("Destination location:\r\n    C:\\Program Files\\Orlan Software\\PDF Scribe\r\n\r\n"
              "Addin setting:\r\n    Addin button will be added in Microsoft Word\r\n\r\n"
              "Desktop setting:\r\n    Add an icon to the Start Menu\r\n\r\n"
              "Install for all users",
              summary("C:\\Program Files\\Orlan Software\\PDF Scribe", 1, 1, 1));
}

TEST(SummaryText, AllOptionsOffHoldsTheFolderAndCurrentUserOnly) {
    EXPECT_EQ("Destination location:\r\n    D:\\Tools\r\n\r\nInstall for current user", summary("D:\\Tools", 0, 0, 0));
}

TEST(SummaryText, AddinOffStartMenuOn) {
    EXPECT_EQ("Destination location:\r\n    E:\\x\r\n\r\n"
              "Desktop setting:\r\n    Add an icon to the Start Menu\r\n\r\n"
              "Install for current user",
              summary("E:\\x", 0, 1, 0));
    EXPECT_EQ("Destination location:\r\n    E:\\x\r\n\r\n"
              "Addin setting:\r\n    Addin button will be added in Microsoft Word\r\n\r\n"
              "Install for all users",
              summary("E:\\x", 1, 0, 1));
}

TEST(SummaryText, LongestFolderFitsAndSmallBufferStaysTerminated) {
    std::string folder(259, 'a');
    std::string text = summary(folder.c_str(), 1, 1, 1);
    EXPECT_NE(std::string::npos, text.find(folder + "\r\n\r\n"));
    EXPECT_EQ(0u, text.rfind("Destination location:", 0));
    EXPECT_EQ(text.size() - 21, text.rfind("Install for all users"));

    char small[16];
    memset(small, 'x', sizeof small);
    buildSummaryText(small, sizeof small, "C:\\Tools", 1, 1, 1);
    EXPECT_EQ(15u, strlen(small));
    EXPECT_STREQ("Destination loc", small);
}

std::string megabytes(ULONGLONG bytes) {
    char text[32];
    formatMegabytes(text, sizeof text, bytes);
    return text;
}

TEST(SizeText, WholeMebibytesRoundedDown) {
    EXPECT_EQ("76293 MB", megabytes(80000000000ULL));
    EXPECT_EQ("0 MB", megabytes(0));
    EXPECT_EQ("0 MB", megabytes((1ULL << 20) - 1));
    EXPECT_EQ("1 MB", megabytes(1ULL << 20));
    EXPECT_EQ("1 MB", megabytes((2ULL << 20) - 1));
    // Large disks: the count is kept past 32 bits of bytes.
    EXPECT_EQ("4096 MB", megabytes(1ULL << 32));
    EXPECT_EQ("1907348 MB", megabytes(2000000000000ULL));
}

std::string afterClick(const char* folder, const char* drive) {
    char text[MAX_PATH];
    strcpy(text, folder);
    folderAfterDriveClick(text, sizeof text, drive);
    return text;
}

TEST(DriveClick, ReplacesOnlyTheDriveLetter) {
    EXPECT_EQ("C:\\Tools", afterClick("E:\\Tools", "C:"));
    EXPECT_EQ("C:\\Program Files\\Orlan Software\\PDF Scribe",
              afterClick("D:\\Program Files\\Orlan Software\\PDF Scribe", "C:"));
    EXPECT_EQ("D:", afterClick("c:", "D:"));
    EXPECT_EQ("Z:\\a\\b", afterClick("Z:\\a\\b", "Z:"));
}

TEST(DriveClick, EmptyFieldGetsTheProductFolderOnThatDisk) {
    EXPECT_EQ("D:\\Orlan Software\\PDF Scribe", afterClick("", "D:"));
    EXPECT_EQ("D:\\Orlan Software\\PDF Scribe", afterClick("\\", "D:"));
}

TEST(DriveClick, FolderWithoutDriveGetsTheDiskInFront) {
    EXPECT_EQ("C:\\Tools", afterClick("Tools", "C:"));
    EXPECT_EQ("C:\\Tools\\x", afterClick("\\Tools\\x", "C:"));
    EXPECT_EQ("C:\\server\\share", afterClick("\\\\server\\share", "C:"));
}

TEST(DriveClick, StaysWithinTheBuffer) {
    std::string longFolder(259, 'f');
    char text[MAX_PATH];
    strcpy(text, longFolder.c_str());
    folderAfterDriveClick(text, sizeof text, "C:");
    EXPECT_EQ(259u, strlen(text));
    EXPECT_EQ(0, strncmp(text, "C:\\fff", 6));
}

TEST(DriveClick, NameWithoutLetterChangesNothing) {
    EXPECT_EQ("E:\\Tools", afterClick("E:\\Tools", ""));
}

TEST(FolderField, StoredUnchangedUpTo259AndCutBeyond) {
    char installDir[MAX_PATH];
    storeFolderField(installDir, "Q:\\Some folder\\typed by hand ");
    EXPECT_STREQ("Q:\\Some folder\\typed by hand ", installDir);

    std::string exact(259, 'a');
    storeFolderField(installDir, exact.c_str());
    EXPECT_EQ(exact, installDir);

    for (size_t length : {260u, 261u, 600u}) {
        std::string longer(length, 'b');
        longer[258] = 'z';
        storeFolderField(installDir, longer.c_str());
        EXPECT_EQ(259u, strlen(installDir)) << length;
        EXPECT_EQ('z', installDir[258]);
    }
    storeFolderField(installDir, "");
    EXPECT_STREQ("", installDir);
}

TEST(LinkHitTest, EdgesCountOutsideDoesNot) {
    RECT link = {100, 200, 160, 215};
    EXPECT_TRUE(pointOnLink({130, 207}, link));
    EXPECT_TRUE(pointOnLink({100, 200}, link));
    EXPECT_TRUE(pointOnLink({160, 215}, link));
    EXPECT_TRUE(pointOnLink({160, 200}, link));
    EXPECT_TRUE(pointOnLink({100, 215}, link));
    EXPECT_FALSE(pointOnLink({99, 207}, link));
    EXPECT_FALSE(pointOnLink({161, 207}, link));
    EXPECT_FALSE(pointOnLink({130, 199}, link));
    EXPECT_FALSE(pointOnLink({130, 216}, link));
}

TEST(LicenceText, UsesCrLfLineBreaksAndFitsTheField) {
    std::string text = kLicenceAgreement;
    ASSERT_GT(text.size(), 500u);
    EXPECT_LT(text.size(), 30000u) << "an edit field holds about 30000 characters by default";
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
        if (text[i] == '\r') EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at " << i;
    }
    EXPECT_NE(std::string::npos, text.find("Orlan PDF Scribe"));
}

}  // namespace
