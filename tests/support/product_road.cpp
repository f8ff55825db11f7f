#include "tests/support/product_road.h"
#include <windows.h>
#include "common/product.h"
#include "tests/support/install_support.h"
#include "tests/support/support.h"
#include "tests/support/uninstall_support.h"

namespace ts = testing_support;

namespace product_road {

std::string defaultInstallDir() {
    std::string programFiles;
    ts::regValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                 &programFiles);
    return std::string(programFiles.c_str()) + "\\Orlan Software\\PDF Scribe";
}

std::string shortcutPath(bool allUsers) {
    return ts::programsFolder(allUsers) + "\\Orlan PDF Scribe\\Uninstall.lnk";
}

// Captions and texts of the visible top-level windows, for a failure message.
static BOOL CALLBACK listWindow(HWND window, LPARAM lParam) {
    if (!IsWindowVisible(window)) return TRUE;
    std::string* out = reinterpret_cast<std::string*>(lParam);
    *out += " [" + ts::windowText(window);
    std::string text = ts::controlText(window, 0xFFFF);
    if (!text.empty()) *out += ": " + text;
    *out += "]";
    return TRUE;
}
static std::string visibleWindows() {
    std::string out;
    EnumWindows(listWindow, reinterpret_cast<LPARAM>(&out));
    return out;
}

std::string uninstallFromShortcut(bool allUsers, UninstallTimes* times, void (*betweenSteps)(const char*)) {
    const std::string target = install_support::readLink(shortcutPath(allUsers)).target;
    if (target.empty()) return "no uninstall shortcut";
    ts::Process first;
    if (!first.start(target)) return "the shortcut's target does not start: " + target;
    if (first.wait(30000) != 3) return "the first stage did not hand over to its temporary copy";
    ts::MessageBoxInfo confirm = ts::findMessageBox(product::kBoxCaption, 30000);
    if (confirm.text != product::kConfirmUninstall) return "no confirmation: '" + confirm.text + "'";
    if (betweenSteps) betweenSteps("uninstall-confirm");
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ts::answerMessageBox(product::kBoxCaption, IDYES, 10000);
    if (betweenSteps) {
        HWND dialog = ts::findWindow("#32770", product::kUninstallCaption, 10000);
        if (dialog) betweenSteps("uninstall-progress");
    }
    ts::MessageBoxInfo done = ts::findMessageBox(product::kBoxCaption, 120000);
    QueryPerformanceCounter(&end);
    if (times) times->removalSeconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    if (done.text != product::kUninstallSuccess) {
        ts::screenshot(ts::outputDir("uninstall-failures") + "\\no-success.bmp");
        return "no success message: '" + done.text + "'; windows:" + visibleWindows();
    }
    if (betweenSteps) betweenSteps("uninstall-success");
    ts::answerMessageBox(product::kBoxCaption, IDOK, 10000);
    // The temporary copy deletes itself through a hidden command processor.
    return ts::waitUntil([] { return uninstall_support::tempCopies().empty(); }, 30000, 100) ? "" : "the temporary copy stayed";
}

}  // namespace product_road
