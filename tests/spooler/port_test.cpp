// The printer port step, with the monitor's answers that Wine cannot produce
// given through the spooler seam; setup's run makes the real port.
#include "common/product.h"
#include "tests/spooler/spooler_fixture.h"

namespace {
DWORD fakeStatus;
BOOL xcvCalledWithPort;
BOOL WINAPI xcvAnswersStatus(HANDLE, PCWSTR command, PBYTE input, DWORD inputSize, PBYTE, DWORD, PDWORD,
                             PDWORD status) {
    xcvCalledWithPort = lstrcmpW(command, L"AddPort") == 0 && inputSize == 22 &&
                        lstrcmpW(reinterpret_cast<PCWSTR>(input), L"ORLAN_PDF:") == 0;
    *status = fakeStatus;
    return TRUE;
}
BOOL WINAPI xcvFails(HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD, PDWORD) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
BOOL WINAPI monitorDenied(LPSTR, LPHANDLE handle, LPPRINTER_DEFAULTSA) {
    *handle = nullptr;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
}  // namespace

using PortStep = SpoolerTest;

TEST_F(PortStep, MonitorThatCannotBeOpenedLeavesTheFixedText) {
    spooler->openMonitor = monitorDenied;
    reportError("EarlierTag", 5);
    EXPECT_EQ(0, installer.addPort());
    EXPECT_EQ(kStageNothing, installer.printerStage);
    EXPECT_STREQ("Error happened to Orlan PDF Scribe, installation might not be complete.\n"
                 "Make sure you have the administrative privilege.",
                 errorText);
}

// Only a status with the top bit set fails; a failing call carries its error.
TEST_F(PortStep, XcvFailuresAreReportedWithTheirTag) {
    struct Case { decltype(spooler->xcvData) xcv; DWORD status; const char* tag; };
    const Case cases[] = {{xcvAnswersStatus, 0, nullptr},
                          {xcvAnswersStatus, 5, nullptr},
                          {xcvAnswersStatus, 183, nullptr},
                          {xcvAnswersStatus, 0x7FFFFFFF, nullptr},
                          {xcvAnswersStatus, 0x80070005, "Error tag = XcvData_2(-2147024891):"},
                          {xcvAnswersStatus, 0x80000000, "Error tag = XcvData_2(-2147483648):"},
                          {xcvFails, 0, "Error tag = XcvData_1(6):"}};
    for (const Case& c : cases) {
        spooler->xcvData = c.xcv;
        fakeStatus = c.status;
        xcvCalledWithPort = FALSE;
        errorText[0] = '\0';
        Installer installer;
        EXPECT_EQ(c.tag ? 0 : 1, installer.addPort()) << "status " << c.status;
        EXPECT_EQ(c.tag ? kStageNothing : kStagePort, installer.printerStage) << "status " << c.status;
        if (c.tag) {
            EXPECT_NE(nullptr, strstr(errorText, c.tag)) << errorText;
        } else {
            EXPECT_STREQ("", errorText) << "status " << c.status;
        }
        if (c.xcv == xcvAnswersStatus) {
            EXPECT_TRUE(xcvCalledWithPort) << "AddPort must carry the wide port name, 22 bytes with its terminator";
        }
    }
}
