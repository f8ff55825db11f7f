#include "setup/entry.h"
#include "common/centre.h"
#include "common/errorreport.h"
#include "common/handles.h"
#include "common/product.h"
#include "common/runlog.h"
#include "common/registry.h"
#include "common/system.h"
#include "common/text.h"
#include "resources/resource.h"
#include "setup/frame.h"
#include "setup/options.h"

InstallOptions options = {"", "", 1, 1, 1};

CheckCalls systemCheckCalls() {
    CheckCalls calls = {};
    calls.getVersionEx = GetVersionExA;
    calls.isWow64Process = nullptr;
    calls.regCreateKeyEx = RegCreateKeyExA;
    return calls;
}

CheckCalls checkCalls = systemCheckCalls();

const char* systemCheckMessage() {
    OSVERSIONINFOEXA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (!checkCalls.getVersionEx(reinterpret_cast<OSVERSIONINFOA*>(&version))) {
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!checkCalls.getVersionEx(reinterpret_cast<OSVERSIONINFOA*>(&version))) return product::kNoVersionInfo;
    }
    if (version.dwMajorVersion < 5) return product::kTooOld;

    Library kernel32(loadSystemLibrary("kernel32.dll"));
    if (!kernel32) return product::kNoKernel32;
    decltype(checkCalls.isWow64Process) isWow64 = checkCalls.isWow64Process;
    if (!isWow64)
        isWow64 = reinterpret_cast<decltype(isWow64)>(
            reinterpret_cast<void*>(GetProcAddress(kernel32.get(), "IsWow64Process")));
    if (isWow64) {
        HANDLE process = GetCurrentProcess();
        if (!process) return product::kNoCurrentProcess;
        BOOL wow64 = FALSE;
        if (isWow64(process, &wow64) && wow64) return product::kIs64Bit;
    }
    kernel32.reset();

    // Write access to HKLM\Software is what the installation needs.
    RegKey software;
    if (checkCalls.regCreateKeyEx(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                   software.receive(), nullptr) != ERROR_SUCCESS)
        return product::kNotAdmin;
    return nullptr;
}

int checkSystem() {
    const char* message = systemCheckMessage();
    if (!message) return 1;
    showError(nullptr, message);
    return 0;
}

const char* exitMeaning(int code) {
    switch (code) {
    case kExitSuccess: return "success";
    case kExitBadCommandLine: return "bad command line";
    case kExitRefused: return "refused by the system checks";
    case kExitAlreadyRunning: return "another copy is running";
    case kExitFailed: return "an installation step failed";
    case kExitCancelled: return "cancelled";
    }
    return "unknown";
}

void openRunLog(const Switches& switches, const char* line) {
    if (!switches.logFile[0]) return;
    // A log that cannot be written does not stop the installation.
    if (!runlog::open(switches.logFile)) return;
    runlog::write("Orlan PDF Scribe Setup %s, command line: %s", product::kDisplayVersion, line);
}

void defaultInstallDir(char (&out)[MAX_PATH]) {
    readRegString(HKEY_LOCAL_MACHINE, product::kWindowsKey, "ProgramFilesDir", out, product::kDefaultProgramFiles);
    // A Program Files path too long for the product's sub-folder falls back
    // to the usual one rather than being cut somewhere in the middle.
    if (!text::append(out, product::kProductSubFolder)) {
        text::copy(out, product::kDefaultProgramFiles);
        text::append(out, product::kProductSubFolder);
    }
}

int initFolders(HINSTANCE instance) {
    defaultInstallDir(options.installDir);
    DWORD length = GetModuleFileNameA(instance, options.sourceDir, MAX_PATH);
    // A path that fills the whole buffer was cut by the system.
    if (length == 0 || length >= MAX_PATH) {
        reportError("GetModuleFileName", 0);
        showError(nullptr, nullptr);
        return 0;
    }
    char* cut = text::lastSeparator(options.sourceDir);
    if (cut) *cut = '\0';
    return 1;
}

void applyDefaultChoices() {
    defaultInstallDir(options.installDir);
    options.addWordAddin = 1;
    options.allUsers = 1;
    options.addStartMenuIcon = 1;
}

void showSplash(HINSTANCE instance) {
    // 400 x 140 at 96 DPI, grown with the screen's DPI like the pages.
    int dpi = screenDpi();
    int width = scaleForDpi(400, dpi), height = scaleForDpi(140, dpi);
    HWND splash = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, width, height, nullptr, nullptr, instance, nullptr);
    if (!splash) return;
    centreOnScreen(splash);
    ShowWindow(splash, SW_SHOW);

    HDC windowDc = GetDC(splash);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    GdiObject bitmap(LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_SPLASH)));
    HBITMAP fitted = fittedBitmap((HBITMAP)bitmap.get(), width, height);
    // Without the stretched copy the picture is drawn at its own size.
    if (fitted) bitmap.reset(fitted);
    HGDIOBJ oldBitmap = SelectObject(memoryDc, bitmap.get());
    BITMAP info;
    ZeroMemory(&info, sizeof info);
    GetObjectA(bitmap.get(), sizeof info, &info);

    typedef BOOL(WINAPI * AlphaBlendFn)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
    Library msimg32(loadSystemLibrary("Msimg32.dll"));
    AlphaBlendFn alphaBlend =
        msimg32 ? reinterpret_cast<AlphaBlendFn>(reinterpret_cast<void*>(GetProcAddress(msimg32.get(), "AlphaBlend")))
                : nullptr;
    if (alphaBlend) {
        const DWORD stepDelay = 100;
        for (int alpha = 0; alpha < 100; alpha += 10) {
            BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0};
            alphaBlend(windowDc, 0, 0, info.bmWidth, info.bmHeight, memoryDc, 0, 0, info.bmWidth, info.bmHeight, blend);
            Sleep(stepDelay);
        }
        Sleep(stepDelay * 10);
    }
    msimg32.reset();
    SelectObject(memoryDc, oldBitmap);
    bitmap.reset();
    DeleteDC(memoryDc);
    ReleaseDC(splash, windowDc);
    DestroyWindow(splash);
}
