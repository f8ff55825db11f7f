// The uninstaller's entry: one instance, the move to the temp folder, the
// confirmation, finding the installation, the run and the clean-up after it.
#include <string.h>
#include "common/errorreport.h"
#include "common/handles.h"
#include "common/installer.h"
#include "common/product.h"
#include "common/registry.h"
#include "common/setuppath.h"
#include "common/text.h"
#include "uninstall/uninstall.h"

namespace {

const DWORD kDialogWaitMs = 20 * 1000;
const DWORD kDialogPollMs = 50;
// An instance found holding the mutex without a dialog may be a first stage
// that is just ending; it gets this long to go.
const DWORD kMutexGraceMs = 2000;

// Short or long form of a folder; the folder itself when the system cannot
// convert it.
void convertedForm(const char* folder, char (&out)[MAX_PATH], bool longForm) {
    DWORD length = longForm ? GetLongPathNameA(folder, out, MAX_PATH) : GetShortPathNameA(folder, out, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) text::copy(out, folder);
}

// Whether two open files hold the same bytes, read from where they stand.
bool sameContents(HANDLE a, HANDLE b) {
    char left[4096], right[4096];
    for (;;) {
        DWORD readLeft = 0, readRight = 0;
        if (!ReadFile(a, left, sizeof left, &readLeft, nullptr) ||
            !ReadFile(b, right, sizeof right, &readRight, nullptr))
            return false;
        if (readLeft != readRight || memcmp(left, right, readLeft) != 0) return false;
        if (readLeft == 0) return true;
    }
}

// Makes and starts the temporary copy; the first stage's whole work.
int runFirstStage(const char* tempFolder, const char* self, KernelHandle& mutex) {
    char copy[MAX_PATH];
    // Counting from the clock, as the system picks its own temp names.
    if (!makeTempCopy(tempFolder, self, GetTickCount(), copy)) return 3;

    // The copy tests the mutex as its first act: let go of it before the
    // copy starts, so that the copy never takes this ending process for a
    // running uninstaller.
    ReleaseMutex(mutex.get());
    mutex.reset();
    startTempCopy(self, copy);
    return 3;
}

// A stopped run leaves its report; the user learns why before the end.
void showStopReport() {
    if (errorText[0]) MessageBoxA(uninstallDialog, errorText, product::kUninstallBoxCaption, MB_OK | MB_SETFOREGROUND);
}

}  // namespace

void folderOfPath(const char* path, char (&out)[MAX_PATH]) {
    if (!text::copy(out, path)) {
        out[0] = '\0';
        return;
    }
    char* cut = text::lastSeparator(out, true);
    if (cut) *cut = '\0';
}

bool sameFolderName(const char* a, const char* b) {
    char left[MAX_PATH], right[MAX_PATH];
    if (!text::copy(left, a) || !text::copy(right, b)) return false;
    text::dropTrailingSeparator(left);
    text::dropTrailingSeparator(right);
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, left, -1, right, -1) == CSTR_EQUAL;
}

bool runsFromTemp(const char* tempFolder, const char* programFolder) {
    if (!tempFolder[0] || !programFolder[0]) return false;
    if (sameFolderName(tempFolder, programFolder)) return true;
    char tempForm[MAX_PATH], programForm[MAX_PATH];
    convertedForm(tempFolder, tempForm, false);
    convertedForm(programFolder, programForm, false);
    if (sameFolderName(tempForm, programForm)) return true;
    convertedForm(tempFolder, tempForm, true);
    convertedForm(programFolder, programForm, true);
    return sameFolderName(tempForm, programForm);
}

bool readInstallFolder(HKEY root, char (&out)[MAX_PATH]) {
    out[0] = '\0';
    char value[MAX_PATH];
    if (!readRegString(root, product::kProductKey, product::kSetupPathValue, value, "") || !value[0]) return false;
    // A number read as raw bytes is no folder.
    RegKey key;
    DWORD type = 0;
    if (RegOpenKeyExA(root, product::kProductKey, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS ||
        RegQueryValueExA(key.get(), product::kSetupPathValue, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    return installFolderFromSetupPath(value, out);
}

bool tempCopyName(char (&name)[MAX_PATH]) {
    size_t length = lstrlenA(name);
    if (length < 3) return false;
    name[length - 3] = 'e';
    name[length - 2] = 'x';
    name[length - 1] = 'e';
    return true;
}

bool makeTempCopy(const char* folder, const char* source, UINT firstNumber, char (&copy)[MAX_PATH]) {
    copy[0] = '\0';
    if (!folder[0]) return false;  // the name would be taken in the current folder
    UINT number = firstNumber & 0xFFFF;
    for (UINT tried = 0; tried < 0xFFFF; ++tried, number = (number + 1) & 0xFFFF) {
        if (number == 0) number = 1;  // 0 would have the system create a .tmp file of its own
        if (!GetTempFileNameA(folder, "Orl", number, copy) || !tempCopyName(copy)) break;
        // A name that any file holds is passed over without a touch: in the
        // user's temp folder it may have been left there to be written over
        // and started by this elevated process. Only a new file is ours.
        if (GetFileAttributesA(copy) != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_FILE_NOT_FOUND) continue;
        if (CopyFileA(source, copy, TRUE)) return true;
        DWORD error = GetLastError();
        // Taken since the look: the next name. Any other failure (a full
        // disk, a folder that refuses) would meet every name alike.
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    copy[0] = '\0';
    return false;
}

bool startTempCopy(const char* source, const char* copy) {
    // The temp folder is the user's: any of their programs could replace the
    // copy between its making and its start. Held without write or delete
    // sharing, it stays what the check below saw until the system has it.
    FileHandle held(CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    FileHandle original(CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!held || !original || !sameContents(original.get(), held.get())) return false;

    char command[MAX_PATH + 2];
    if (!text::format(command, "\"%s\"", copy)) return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

int uninstallMain(HINSTANCE instance) {
    KernelHandle mutex(CreateMutexA(nullptr, TRUE, product::kUninstallMutex));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        HWND running = FindWindowA(product::kDialogClass, product::kUninstallCaption);
        if (running) {
            SetForegroundWindow(running);
            return 0;
        }
        DWORD waited = WaitForSingleObject(mutex.get(), kMutexGraceMs);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return 0;
    }

    char tempFolder[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, tempFolder);
    if (length == 0 || length >= MAX_PATH) tempFolder[0] = '\0';
    text::dropTrailingSeparator(tempFolder);

    char self[MAX_PATH];
    length = GetModuleFileNameA(instance, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0;
    char programFolder[MAX_PATH];
    folderOfPath(self, programFolder);

    if (!runsFromTemp(tempFolder, programFolder)) return runFirstStage(tempFolder, self, mutex);

    // The copy inherits the first stage's current folder, usually the install
    // folder; a folder that is a process's current folder cannot be removed.
    SetCurrentDirectoryA(tempFolder);

    if (MessageBoxA(nullptr, product::kConfirmUninstall, product::kBoxCaption, MB_YESNO | MB_SETFOREGROUND) !=
        IDYES) {
        selfDelete();
        return 2;
    }

    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, uninstallDialogThread, instance, 0, &threadId);
    if (thread) CloseHandle(thread);
    waitForDialog(kDialogWaitMs, kDialogPollMs);

    // The machine's record first: any program the user runs can write the
    // user's own, and the folder it names is where this elevated process
    // would load the add-in from and delete files. Setup writes only the
    // machine's record; the user's counts only where the machine has none.
    char installFolder[MAX_PATH];
    if (readInstallFolder(HKEY_LOCAL_MACHINE, installFolder)) {
        // Recorded for the whole machine: only who may change it removes it.
        bool admin = false;
        bool tested = isUserAdmin(&admin);
        if (!mayRemoveMachineInstall(tested, admin, !tested && canWriteMachineRecords())) {
            MessageBoxA(uninstallDialog, product::kUninstallNotAdmin, product::kUninstallBoxCaption,
                        MB_OK | MB_SETFOREGROUND);
            return 0;
        }
    } else if (!readInstallFolder(HKEY_CURRENT_USER, installFolder)) {
        MessageBoxA(nullptr, product::kNoUninstallInfo, product::kBoxCaption, MB_OK | MB_SETFOREGROUND);
        selfDelete();
        return 0;
    }

    Installer remover;
    remover.initRemoval(installFolder, uninstallDialog, uninstallProgress);
    if (!remover.runRemoval()) {
        showStopReport();
        return 1;
    }
    removeLeftovers(installFolder);
    if (uninstallDialog) EndDialog(uninstallDialog, 0);
    MessageBoxA(nullptr, product::kUninstallSuccess, product::kBoxCaption, MB_OK | MB_SETFOREGROUND);
    selfDelete();
    ReleaseMutex(mutex.get());
    mutex.reset();
    return 1;
}
