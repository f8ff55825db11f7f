// The wizard pages as a user meets them in the real setup.exe: the quit
// question on Escape and the close box, the closing pages that end at once,
// the options page's check boxes, the Welcome page's link, and a look at
// every page.
#include <gtest/gtest.h>
#include <sstream>
#include "tests/support/support.h"
#include "tests/support/uninstall_support.h"
#include "tests/support/wizard_support.h"

namespace ts = testing_support;
using wizard::SetupRun;
using wizard::WizardPage;

namespace {

using WizardPages = wizard::StagedSetupTest;

enum class CloseBy { Escape, SystemClose, CloseMessage };
const CloseBy kAllWays[] = {CloseBy::Escape, CloseBy::SystemClose, CloseBy::CloseMessage};
const char* wayName(CloseBy way) {
    return way == CloseBy::Escape ? "Escape" : way == CloseBy::SystemClose ? "SC_CLOSE" : "WM_CLOSE";
}

void closePage(HWND page, CloseBy way) {
    switch (way) {
    case CloseBy::Escape: ts::command(page, IDCANCEL); break;  // what the dialog manager sends for Escape
    case CloseBy::SystemClose: PostMessageA(page, WM_SYSCOMMAND, SC_CLOSE, 0); break;  // the close box
    case CloseBy::CloseMessage: PostMessageA(page, WM_CLOSE, 0, 0); break;
    }
}

// Every way of closing asks the quit question; No keeps the page where it is.
void expectQuestionAndStay(HWND page, WizardPage which) {
    for (CloseBy way : kAllWays) {
        RECT before = ts::windowRect(page);
        closePage(page, way);
        EXPECT_TRUE(wizard::answerQuitQuestion(IDNO)) << wizard::pageName(which) << ": no quit question on "
                                                       << wayName(way);
        EXPECT_TRUE(IsWindow(page) && IsWindowVisible(page)) << wizard::pageName(which) << " closed after No";
        RECT after = ts::windowRect(page);
        EXPECT_EQ(before.left, after.left);
        EXPECT_EQ(before.top, after.top);
    }
}

// Every page on the road to the Summary page, shot for the record.
TEST_F(WizardPages, EscapeAndCloseBoxAskTheQuitQuestionUntilYes) {
    SetupRun setup(*folder);
    HWND page = setup.waitPage(WizardPage::Welcome, 60000);
    ASSERT_TRUE(page) << "no Welcome page";
    EXPECT_EQ("&Next>", ts::controlText(page, 1001));
    EXPECT_TRUE(wizard::shoot(page, "welcome"));
    expectQuestionAndStay(page, WizardPage::Welcome);
    const struct {
        int button;
        WizardPage next;
        const char* name;
    } road[] = {{1001, WizardPage::Licence, "licence"},       {1006, WizardPage::SetupType, "setup_type"},
                {1010, WizardPage::Destination, "destination"}, {1001, WizardPage::Options, "options"},
                {1001, WizardPage::Summary, "summary"}};
    for (const auto& step : road) {
        ASSERT_TRUE(page = setup.advance(page, step.button, step.next)) << step.name;
        EXPECT_TRUE(wizard::shoot(page, step.name)) << step.name;
        if (step.next == WizardPage::Licence) {
            ts::press(page, 1007);
            EXPECT_TRUE(wizard::answerQuitQuestion(IDNO)) << "no quit question on I don't agree";
        }
        expectQuestionAndStay(page, step.next);
    }

    // The Cancel button asks too; Yes ends at the Interrupted page.
    HWND interrupted = setup.quitToInterrupted(page, 1002);
    ASSERT_TRUE(interrupted) << "Yes did not lead to the Interrupted page";
    EXPECT_TRUE(wizard::shoot(interrupted, "interrupted"));
    EXPECT_EQ("&Finish", ts::controlText(interrupted, 1005));

    // The close box there ends setup at once, without a question.
    PostMessageA(interrupted, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(setup.endsWithoutQuestion());
    EXPECT_EQ(0, setup.waitExit(5000));
}

// Other ways to the quit question's Yes, and out of the Interrupted page.
TEST_F(WizardPages, EachWayToYesEndsAtInterruptedWhichClosingEnds) {
    const struct {
        WizardPage from;
        int button;  // asks the question; 0: the close box
        CloseBy leave;
    } roads[] = {{WizardPage::Licence, 0, CloseBy::Escape},
                 {WizardPage::Licence, 1007, CloseBy::CloseMessage},
                 {WizardPage::Welcome, IDCANCEL, CloseBy::SystemClose}};
    for (const auto& road : roads) {
        SCOPED_TRACE(std::string(wizard::pageName(road.from)) + ", button " + std::to_string(road.button) +
                     ", then " + wayName(road.leave));
        SetupRun setup(*folder);
        HWND page = setup.waitPage(WizardPage::Welcome, 60000);
        ASSERT_TRUE(page);
        if (road.from == WizardPage::Licence) ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Licence));
        HWND interrupted = setup.quitToInterrupted(page, road.button);
        ASSERT_TRUE(interrupted);
        closePage(interrupted, road.leave);
        EXPECT_TRUE(setup.endsWithoutQuestion());
        EXPECT_EQ(0, setup.waitExit(5000));
    }
}

std::string summaryOf(HWND page) { return ts::controlText(page, 1008); }

TEST_F(WizardPages, OptionsShowAndStoreTheThreeChoices) {
    SetupRun setup(*folder);
    HWND page = wizard::toDestination(setup);
    ASSERT_TRUE(page);
    std::string folderText = ts::controlText(page, 1014);
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Options));

    // All three start on; "Install for all users" shows allUsers and is locked.
    EXPECT_TRUE(ts::isChecked(page, 1016));
    EXPECT_TRUE(ts::isChecked(page, 1017));
    EXPECT_TRUE(ts::isChecked(page, 1018));
    EXPECT_FALSE(ts::isEnabled(page, 1017));
    EXPECT_TRUE(ts::isEnabled(page, 1016));
    EXPECT_TRUE(ts::isEnabled(page, 1018));
    // A real click on the locked box changes nothing; one on the add-in's
    // box clears it.
    RECT box = ts::windowRect(ts::control(page, 1017));
    ASSERT_TRUE(wizard::realClick((box.left + box.right) / 2, (box.top + box.bottom) / 2));
    RECT addin = ts::windowRect(ts::control(page, 1016));
    ASSERT_TRUE(wizard::realClick(addin.left + 4, (addin.top + addin.bottom) / 2));
    ASSERT_TRUE(ts::waitUntil([&] { return !ts::isChecked(page, 1016); })) << "a click on an enabled box counts";
    EXPECT_TRUE(ts::isChecked(page, 1017));

    // Back stores it: the page shown again keeps the add-in off.
    ASSERT_TRUE(page = setup.advance(page, 1011, WizardPage::Destination));
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Options));
    EXPECT_FALSE(ts::isChecked(page, 1016));
    EXPECT_TRUE(ts::isChecked(page, 1018));

    // Start-menu icon off too; Next stores both, as the summary shows (the
    // text of each choice is the in-process tests' to check).
    ts::press(page, 1018);
    ASSERT_TRUE(ts::waitUntil([&] { return !ts::isChecked(page, 1018); }));
    ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Summary));
    EXPECT_EQ("Destination location:\r\n    " + folderText + "\r\n\r\nInstall for all users", summaryOf(page));
    EXPECT_TRUE(setup.quit(page));
}

// A stand-in browser for http: addresses that writes what it was given into
// a file, so that the link's ShellExecute can be seen; or, with a command,
// that command.
class UrlHandler {
public:
    explicit UrlHandler(const std::string& file, const std::string& command = "") : file_(file) {
        haveOld_ = ts::regValue(HKEY_CLASSES_ROOT, kKey, "", &old_);
        ts::regSetText(HKEY_CLASSES_ROOT, kKey, "",
                       command.empty() ? "C:\\windows\\system32\\cmd.exe /c echo %1>> \"" + file + "\"" : command);
    }
    ~UrlHandler() {
        if (haveOld_) ts::regSetText(HKEY_CLASSES_ROOT, kKey, "", old_.c_str());
    }
    // Waits for an address to arrive; then opened().
    std::vector<std::string> waitAddresses(DWORD timeoutMs) {
        ts::waitUntil([&] { return ts::readFile(file_).find('\n') != std::string::npos; }, timeoutMs);
        return opened();
    }
    // Once every handler started has ended: the addresses opened since the
    // last look, in the order they came.
    std::vector<std::string> opened() {
        ts::waitUntil([] { return uninstall_support::findProcess("cmd.exe") == 0; });
        std::vector<std::string> addresses;
        std::istringstream lines(ts::readFile(file_));
        for (std::string line; std::getline(lines, line);) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            addresses.push_back(line);
        }
        DeleteFileA(file_.c_str());
        return addresses;
    }

private:
    static constexpr const char* kKey = "http\\shell\\open\\command";
    std::string file_, old_;
    bool haveOld_ = false;
};

// Sent, not posted: once it returns, the page has taken the click and
// started whatever it opens.
void clickPage(HWND page, POINT client) {
    DWORD_PTR ignored;
    SendMessageTimeoutA(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    SendMessageTimeoutA(page, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y), SMTO_ABORTIFHUNG, 5000, &ignored);
}

// The link's client rectangle in page client coordinates.
RECT linkRect(HWND page) {
    RECT r = {};
    HWND link = ts::control(page, 1028);
    if (!link) return r;
    GetClientRect(link, &r);
    MapWindowPoints(link, page, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(WizardPages, ManyMoreLinkOpensTheProductPageEdgesIncluded) {
    std::string scratch = ts::makeTempDir("link");
    UrlHandler handler(scratch + "\\opened.txt");
    const std::string productPage = "http://www.orlan-software.com/pdfscribe/";

    SetupRun setup(*folder);
    HWND page = setup.waitPage(WizardPage::Welcome, 60000);
    ASSERT_TRUE(page);
    HWND link = ts::control(page, 1028);
    ASSERT_TRUE(link);
    EXPECT_EQ(".Many more", ts::windowText(link));
    const RECT r = linkRect(page);
    ASSERT_GT(r.right, r.left);

    // Beside the link nothing opens.
    clickPage(page, {r.right + 3, (r.top + r.bottom) / 2});
    clickPage(page, {r.right + 1, r.bottom});
    clickPage(page, {r.left - 1, r.top});
    clickPage(page, {(r.left + r.right) / 2, r.top - 1});
    clickPage(page, {(r.left + r.right) / 2, r.bottom + 1});
    EXPECT_EQ(std::vector<std::string>{}, handler.opened()) << "a click beside the link opened something";

    // The exact corners count.
    const std::vector<std::string> once = {productPage};
    clickPage(page, {r.right, r.bottom});
    EXPECT_EQ(once, handler.waitAddresses(15000)) << "bottom-right edge";
    clickPage(page, {r.left, r.top});
    EXPECT_EQ(once, handler.waitAddresses(15000)) << "top-left edge";

    // A user's click in the middle of the text.
    RECT screen = ts::windowRect(link);
    ASSERT_TRUE(wizard::realClick((screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2));
    EXPECT_EQ(once, handler.waitAddresses(15000)) << "a real click on the link";

    // Drawn in blue on the white page.
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    int blue = 0, white = 0;
    for (int y = screen.top; y < screen.bottom; ++y)
        for (int x = screen.left; x < screen.right; ++x) {
            COLORREF c = ts::screenPixel(x, y);
            if (c == RGB(0, 0, 255)) ++blue;
            if (c == RGB(255, 255, 255)) ++white;
        }
    EXPECT_GT(blue, 20) << "the link text is not blue";
    EXPECT_GT(white, blue) << "the link's background is not the white page";
    EXPECT_TRUE(setup.quit(page));
    EXPECT_EQ(std::vector<std::string>{}, handler.opened()) << "a click opened an address late";
    ts::removeTree(scratch);
}

// The browser is whatever the user's hive names for http. Where setup may
// run elevated (Vista and later) the desktop's shell opens the link, with the
// user's own rights; Windows XP has no elevation, and setup opens it itself.
TEST_F(WizardPages, TheLinkIsOpenedByTheDesktopShellWhereSetupMayBeElevated) {
    const std::string started = ts::plantFile("marker.exe.parent");
    UrlHandler handler("", "\"" + ts::plantFile("marker.exe") + "\" %1");
    const struct {
        const char* version;
        const char* opener;
    } cases[] = {{"", "explorer.exe"}, {"winxp", "setup.exe"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        ts::setProgramVersion("setup.exe", c.version);
        DeleteFileA(started.c_str());
        SetupRun setup(*folder);
        HWND page = setup.waitPage(WizardPage::Welcome, 60000);
        ASSERT_TRUE(page);
        const RECT r = linkRect(page);
        clickPage(page, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        // The marker makes its note, then writes it: wait for the name in it.
        EXPECT_TRUE(ts::waitUntil([&] { return !ts::readFile(started).empty(); }, 15000)) << "the link opened nothing";
        EXPECT_STRCASEEQ(c.opener, ts::readFile(started).c_str());
        EXPECT_TRUE(setup.quit(page));
    }
    ts::setProgramVersion("setup.exe", "");
    DeleteFileA(started.c_str());
}

}  // namespace
