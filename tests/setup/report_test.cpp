// The error report: tag, code, the system's text, and the buffer's bound.
#include <gtest/gtest.h>
#include <string>
#include "common/errorreport.h"
#include "common/product.h"

namespace {
std::string systemText(DWORD code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0,
                   nullptr);
    std::string s = text ? text : "";
    LocalFree(text);
    return s;
}

// The system's text for the code (none: "(null)"; code 0: the thread's last
// error) sits between the tag and the request.
TEST(ErrorReport, CarriesTagCodeSystemTextThenTheRequest) {
    ASSERT_FALSE(systemText(5).empty());
    const struct {
        const char* tag;
        DWORD code;
        std::string line;
    } cases[] = {{"CopyFile_1", 5, "Error tag = CopyFile_1(5):" + systemText(5) + "Please reboot"},
                 {"Tag", 0x2FFFFFF1, "Tag(805306353):(null)Please reboot"},
                 {"Last", 0, "Last(2):" + systemText(2) + "Please reboot"}};
    for (const auto& c : cases) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        reportError(c.tag, c.code);
        std::string report = errorText;
        EXPECT_EQ(0u, report.find("Error happened to Orlan PDF Scribe. Installation might not be complete.\n")) << report;
        EXPECT_NE(std::string::npos, report.find(c.line)) << report;
    }
}

TEST(ErrorReport, AnOverlongReportIsCutAtTheBufferEnd) {
    std::string longTag(400, 'T');
    struct {
        char out[kErrorTextSize];
        char guard[32];
    } area;
    memset(area.guard, 0x33, sizeof area.guard);
    EXPECT_FALSE(composeReport(area.out, kErrorTextSize, product::kSetupReportFormat, longTag.c_str(), 5));
    EXPECT_EQ(kErrorTextSize - 1, strlen(area.out));
    for (char c : area.guard) ASSERT_EQ(0x33, c);

    reportError(longTag.c_str(), 5);
    EXPECT_EQ(kErrorTextSize - 1, strlen(errorText));
}

TEST(ErrorReport, UninstallerFormatEndsWithItsOwnRequest) {
    char out[kErrorTextSize];
    EXPECT_TRUE(composeReport(out, sizeof out, product::kUninstallReportFormat, "X", 0x2FFFFFF1));
    std::string report = out;
    EXPECT_EQ(0u, report.find("Error happened to Orlan PDF Scribe, installation might not be complete.\n"));
    EXPECT_NE(std::string::npos, report.find("X(805306353):(null)Please report this error to Orlan ("));
    EXPECT_EQ(report.size() - strlen("). Thanks!"), report.rfind("). Thanks!"));
}
}  // namespace
