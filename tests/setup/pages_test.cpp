// The wizard pages' decisions that need no window: summary text, disk sizes,
// the folder after a disk click, the stored and the checked folder, the
// licence text; and the Options page.
#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include "common/text.h"
#include "resources/resource.h"
#include "setup/options.h"
#include "setup/page_logic.h"
#include "setup/pages.h"
#include "tests/support/support.h"

namespace {

std::string summary(const char* folder, int addin, int startMenu, int allUsers) {
    char text[kSummaryCapacity];
    buildSummaryText(text, sizeof text, folder, addin, startMenu, allUsers);
    return text;
}

// Each option's block is there only when the option is on.
TEST(SummaryText, EachOptionAddsItsBlockAndTheTextStaysInItsBuffer) {
    const std::string head = "Destination location:\r\n    E:\\x\r\n\r\n";
    const std::string addin = "Addin setting:\r\n    Addin button will be added in Microsoft Word\r\n\r\n";
    const std::string startMenu = "Desktop setting:\r\n    Add an icon to the Start Menu\r\n\r\n";
    EXPECT_EQ(head + addin + startMenu + "Install for all users", summary("E:\\x", 1, 1, 1));
    EXPECT_EQ(head + "Install for current user", summary("E:\\x", 0, 0, 0));
    EXPECT_EQ(head + startMenu + "Install for current user", summary("E:\\x", 0, 1, 0));
    EXPECT_EQ(head + addin + "Install for all users", summary("E:\\x", 1, 0, 1));
    // The longest folder fits; a small buffer stays terminated.
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

// The disk's letter replaces the field's, or comes in front of a folder
// without one; an empty field gets the product's folder on that disk.
TEST(DriveClick, TheDisksLetterGoesInFront) {
    const char* const cases[][3] = {
        {"E:\\Tools", "C:", "C:\\Tools"}, {"c:", "D:", "D:"}, {"Z:\\a\\b", "Z:", "Z:\\a\\b"},
        {"", "D:", "D:\\Orlan Software\\PDF Scribe"}, {"\\", "D:", "D:\\Orlan Software\\PDF Scribe"},
        {"Tools", "C:", "C:\\Tools"}, {"\\Tools\\x", "C:", "C:\\Tools\\x"},
        {"\\\\server\\share", "C:", "C:\\server\\share"}, {"E:\\Tools", "", "E:\\Tools"},
    };
    for (const auto& c : cases) EXPECT_EQ(c[2], afterClick(c[0], c[1])) << c[0] << " + " << c[1];
    // Stays within the buffer.
    std::string cut = afterClick(std::string(259, 'f').c_str(), "C:");
    EXPECT_EQ(259u, cut.size());
    EXPECT_EQ(0u, cut.rfind("C:\\fff", 0));
}

std::string stored(const std::string& typed) {
    char installDir[MAX_PATH];
    memset(installDir, 'x', sizeof installDir);
    storeFolderField(installDir, typed.c_str());
    return std::string(installDir, strnlen(installDir, sizeof installDir));
}

TEST(FolderField, StoredUnchangedUpTo259AndCutBeyond) {
    const std::string unchanged[] = {"Q:\\Some folder\\typed by hand ", std::string(259, 'a'), ""};
    for (const std::string& typed : unchanged) EXPECT_EQ(typed, stored(typed));
    const std::string kept = std::string(258, 'b') + 'z';
    for (size_t length : {260u, 261u, 600u}) EXPECT_EQ(kept, stored(kept + std::string(length - 259, 'z'))) << length;
}

// Drives C: and D: exist; the check asks about nothing else.
bool cAndD(char letter) { return letter == 'C' || letter == 'c' || letter == 'D' || letter == 'd'; }

TEST(FolderCheck, EachKindOfFolder) {
    using P = FolderProblem;
    // Only the install folder's files count: + "\ops_wordaddin.dll" = 259.
    std::string fits = "C:\\" + std::string(238, 'x');
    const std::pair<std::string, FolderProblem> cases[] = {
        {"C:\\Program Files\\Orlan Software\\PDF Scribe", P::None}, {"d:\\a b\\ c.d", P::None}, {"C:\\", P::None},
        {"C:\\Tools\\", P::None}, {"C:\\Tools/", P::None}, {"C:\\a\\..\\b\\.", P::None}, {fits, P::None},
        {fits + "\\", P::None}, {"\\\\server\\share\\Orlan", P::None}, {"\\\\server\\share", P::None},
        {"", P::Empty}, {" \t ", P::Empty}, {std::string(300, ' '), P::Empty},
        {"Program Files\\Scribe", P::Relative}, {"C:", P::Relative}, {"C:folder", P::Relative}, {"C:/x", P::Relative},
        {"\\Tools", P::Relative}, {" C:\\x", P::Relative}, {"\\\\server", P::Relative}, {"\\\\server\\", P::Relative},
        {"\\\\.\\C:\\x", P::Relative}, {"Q:Tools", P::Relative},
        {"C:\\a<b", P::BadCharacter}, {"C:\\a>b", P::BadCharacter}, {"C:\\a:b", P::BadCharacter},
        {"C:\\a\"b", P::BadCharacter}, {"C:\\a/b", P::BadCharacter}, {"C:\\a|b", P::BadCharacter},
        {"C:\\a?", P::BadCharacter}, {"C:\\*", P::BadCharacter}, {"C:\\a\tb", P::BadCharacter},
        {"C:\\a\x1f\\b", P::BadCharacter}, {"\\\\?\\C:\\x", P::BadCharacter}, {"Q:\\a|b", P::BadCharacter},
        {"C:\\name ", P::BadNameEnd}, {"C:\\name \\", P::BadNameEnd}, {"C:\\a...\\b", P::BadNameEnd},
        {"\\\\server\\share.\\x", P::BadNameEnd},
        {"Q:\\Tools", P::NoSuchDrive}, {"q:\\", P::NoSuchDrive},
        {fits + "x", P::TooLong}, {"C:\\" + std::string(256, 'x'), P::TooLong},  // 242 and 259
        {"C:\\" + std::string(257, 'x'), P::TooLong}, {"Q:" + std::string(298, '|'), P::TooLong},  // 260 and 300
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, checkFolderText(c.first.c_str(), cAndD)) << c.first;
    EXPECT_EQ(P::Empty, checkFolderText(nullptr, cAndD));
    EXPECT_EQ(P::None, checkFolderText("E:\\Tools", nullptr)) << "no drive question asked";

    char message[128];
    folderProblemMessage(message, sizeof message, P::NoSuchDrive, "q:\\Tools");
    EXPECT_STREQ("The drive Q: does not exist. Please choose another folder.", message);
}

// The one path walk that every module uses, and the folder check's own walk,
// where ソ and 表 end in the backslash's byte.
TEST(CodePage932, PathsAreWalkedByCharacterNotByByte) {
    ASSERT_EQ(932u, GetACP()) << "run with LC_ALL=ja_JP.UTF-8 (CTest entry setup_cp932)";
    struct Case {
        const char* path;
        const char* dropped;  // after dropTrailingSeparator
        const char* last;     // from lastSeparator on, with slashes
    };
    const Case cases[] = {
        {"C:\\PDF" CP932_SO, "C:\\PDF" CP932_SO, "\\PDF" CP932_SO},
        {"C:\\PDF" CP932_HYO "\\", "C:\\PDF" CP932_HYO, "\\"},
        {"C:\\" CP932_SO "/" CP932_HYO "/", "C:\\" CP932_SO "/" CP932_HYO, "/"},
        {CP932_SO CP932_HYO, CP932_SO CP932_HYO, nullptr},
    };
    for (const Case& c : cases) {
        char path[MAX_PATH];
        text::copy(path, c.path);
        text::dropTrailingSeparator(path);
        EXPECT_STREQ(c.dropped, path) << c.path;
        EXPECT_EQ(strcmp(c.dropped, c.path) != 0, text::endsWithSeparator(c.path, true)) << c.path;
        const char* last = text::lastSeparator(c.path, true);
        EXPECT_STREQ(c.last, last) << c.path;
    }
    // A share on a server whose name holds 表 is a full path.
    EXPECT_EQ(FolderProblem::None, checkFolderText("\\\\srv" CP932_HYO "\\share\\PDF" CP932_SO, nullptr));
}

TEST(LicenceText, UsesCrLfLineBreaksAndFitsTheField) {
    std::string text = kLicenceAgreement;
    ASSERT_GT(text.size(), 500u);
    EXPECT_LT(text.size(), 30000u) << "an edit field holds about 30000 characters by default";
    // Every line break is CR LF: no bare CR, no bare LF.
    size_t pairs = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++pairs;
    EXPECT_EQ(pairs, (size_t)std::count(text.begin(), text.end(), '\r'));
    EXPECT_EQ(pairs, (size_t)std::count(text.begin(), text.end(), '\n'));
    EXPECT_NE(std::string::npos, text.find("Orlan PDF Scribe"));
}

const char kWizardCaption[] = "Orlan PDF Scribe Setup Wizard";

// The Options page run in this process, so that what it leaves in the
// options can be seen even when it ends with the quit question's Yes.
struct OptionsPageRun {
    std::atomic<INT_PTR> result{-1};
    std::thread thread{[this] {
        result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, optionsPageProc, 0);
    }};
    bool ended() {
        return testing_support::waitUntil([&] { return result != -1; }, 10000);
    }
    ~OptionsPageRun() {
        HWND page = FindWindowA("#32770", kWizardCaption);
        if (!ended() && page) EndDialog(page, 0);
        thread.join();
    }
};

TEST(OptionsPage, QuittingWithYesStillStoresTheBoxes) {
    options.addWordAddin = 1;
    options.allUsers = 0;
    options.addStartMenuIcon = 1;
    OptionsPageRun run;
    HWND page = nullptr;
    ASSERT_TRUE(testing_support::waitUntil([&] {
        page = FindWindowA("#32770", kWizardCaption);
        return page && IsWindowVisible(page) && GetDlgItem(page, IDC_WORD_ADDIN);
    }, 10000));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_WORD_ADDIN));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, IDC_ALL_USERS)) << "shows allUsers as it is";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_ALL_USERS)));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_START_MENU));

    SendMessageA(GetDlgItem(page, IDC_WORD_ADDIN), BM_CLICK, 0, 0);
    // No keeps the page and stores nothing yet.
    PostMessageA(page, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(testing_support::answerMessageBox("Orlan PDF Scribe", IDNO).window);
    EXPECT_TRUE(IsWindowVisible(page));
    EXPECT_EQ(1, options.addWordAddin);

    SendMessageA(GetDlgItem(page, IDC_START_MENU), BM_CLICK, 0, 0);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_CANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(testing_support::answerMessageBox("Orlan PDF Scribe", IDYES).window);
    ASSERT_TRUE(run.ended());
    EXPECT_EQ(IDC_CANCEL, run.result);
    EXPECT_EQ(0, options.addWordAddin);
    EXPECT_EQ(0, options.allUsers);
    EXPECT_EQ(0, options.addStartMenuIcon);
}

}  // namespace
