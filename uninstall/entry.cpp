// The uninstaller's entry: one instance, the move to the temp folder, the
// confirmation, finding the installation, the run and the clean-up after it.
#include <string.h>
#include "common/errorreport.h"
#include "common/handles.h"
#include "common/installer.h"
#include "common/product.h"
#include "common/prompt.h"
#include "common/runlog.h"
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

// The end of a run in the log, and the code it exits with: unattended the
// outcome itself, in the wizard the code it always had. The log is let go,
// so that a temporary copy started next can continue it.
int finish(UninstallExit outcome, int wizardCode) {
    int code = prompt::unattended() ? outcome : wizardCode;
    runlog::write("Exit code %d: %s", code, exitMeaning(outcome));
    runlog::close();
    return code;
}

int finish(UninstallExit outcome) { return finish(outcome, wizardExitCode(outcome)); }

// No copy, no removal: the user learns why, and where.
int endWithoutCopy(const char* tempFolder) {
    char message[1024];
    text::format(message, product::kNoTempCopy, tempFolder, errorText);
    prompt::tell(nullptr, message, product::kUninstallBoxCaption, MB_SETFOREGROUND);
    return finish(kUninstallNoCopy);
}

// Makes and starts the temporary copy, passing the switches and the log on;
// the first stage's whole work.
int runFirstStage(const char* tempFolder, const char* self, const Switches& switches, KernelHandle& mutex) {
    // No other uninstaller runs now (this one holds the mutex): what copies
    // are left were killed, or are ending.
    int swept = sweepTempCopies(tempFolder);
    if (swept) runlog::write("Removed %d temporary copies that earlier runs left in \"%s\".", swept, tempFolder);
    char copy[MAX_PATH];
    FileHandle copyFolder;
    // Counting from the clock, as the system picks its own temp names.
    if (!makeTempCopy(tempFolder, self, GetTickCount(), copy, copyFolder)) return endWithoutCopy(tempFolder);

    // The copy tests the mutex as its first act: let go of it before the
    // copy starts, so that the copy never takes this ending process for a
    // running uninstaller.
    ReleaseMutex(mutex.get());
    mutex.reset();
    KernelHandle thread;
    if (!startTempCopy(self, copy, switches, runlog::handle(), thread)) {
        discardTempCopy(copy, copyFolder);
        return endWithoutCopy(tempFolder);
    }
    runlog::write("Started the temporary copy \"%s\"; it goes on with the removal.", copy);
    // This stage's lines all go in before the copy's, which continue the file.
    int code = finish(kUninstallHandedOver);
    ResumeThread(thread.get());
    return code;
}

// A stopped run leaves its report; the user learns why before the end.
void showStopReport() {
    if (errorText[0]) prompt::tell(uninstallDialog, errorText, product::kUninstallBoxCaption, MB_SETFOREGROUND);
}

}  // namespace

const char* exitMeaning(UninstallExit outcome) {
    switch (outcome) {
    case kUninstallRemoved: return "success";
    case kUninstallDeclined: return "the user chose not to uninstall";
    case kUninstallHandedOver: return "handed over to the temporary copy";
    case kUninstallBadCommandLine: return "bad command line";
    case kUninstallNoCopy: return "the temporary copy could not be made or started";
    case kUninstallAlreadyRunning: return "another copy of the uninstaller is running";
    case kUninstallNotFound: return "no installation found";
    case kUninstallRefused: return "refused: no administrator rights";
    case kUninstallStepFailed: return "a removal step failed";
    }
    return "unknown";
}

int wizardExitCode(UninstallExit outcome) {
    switch (outcome) {
    case kUninstallRemoved:
    case kUninstallStepFailed: return 1;
    case kUninstallDeclined: return 2;
    case kUninstallHandedOver:
    case kUninstallNoCopy: return 3;  // the first stage checked nothing
    case kUninstallBadCommandLine: return kUninstallBadCommandLine;
    case kUninstallAlreadyRunning:
    case kUninstallNotFound:
    case kUninstallRefused: return 0;
    }
    return 0;
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

bool runsAsTempCopy(const char* tempFolder, const char* programPath) {
    char folder[MAX_PATH], parent[MAX_PATH], expected[MAX_PATH];
    text::folderOfPath(programPath, folder);
    const char* folderName = text::lastSeparator(folder, true);
    const char* fileName = text::lastSeparator(programPath, true);
    if (!folderName || !fileName || !isTempCopyName(folderName + 1) ||
        !text::format(expected, "%s.exe", folderName + 1) || !text::sameAsciiName(fileName + 1, -1, expected))
        return false;
    text::folderOfPath(folder, parent);
    return runsFromTemp(tempFolder, parent);
}

UninstallExit removeProduct(HINSTANCE instance, KernelHandle& mutex) {
    if (!prompt::yes(nullptr, product::kConfirmUninstall, product::kBoxCaption, MB_SETFOREGROUND, true)) {
        selfDelete();
        return kUninstallDeclined;
    }

    // Unattended there is no dialog: setStatus then moves no bar, and the
    // messages have no owner.
    if (!prompt::unattended()) {
        DWORD threadId = 0;
        HANDLE thread = CreateThread(nullptr, 0, uninstallDialogThread, instance, 0, &threadId);
        if (thread) CloseHandle(thread);
        waitForDialog(kDialogWaitMs, kDialogPollMs);
    }

    // The machine's record first: any program the user runs can write the
    // user's own, and the folder it names is where this elevated process
    // would load the add-in from and delete files. Setup writes only the
    // machine's record; the user's counts only where the machine has none.
    char installFolder[MAX_PATH];
    if (readInstallFolder(HKEY_LOCAL_MACHINE, installFolder)) {
        runlog::write("Installed for the machine in \"%s\"", installFolder);
        // Recorded for the whole machine: only who may change it removes it.
        bool admin = false;
        bool tested = isUserAdmin(&admin);
        if (!mayRemoveMachineInstall(tested, admin, !tested && canWriteMachineRecords())) {
            prompt::tell(uninstallDialog, product::kUninstallNotAdmin, product::kUninstallBoxCaption, MB_SETFOREGROUND);
            return kUninstallRefused;
        }
    } else if (readInstallFolder(HKEY_CURRENT_USER, installFolder)) {
        runlog::write("Installed for the user in \"%s\"", installFolder);
    } else {
        prompt::tell(nullptr, product::kNoUninstallInfo, product::kBoxCaption, MB_SETFOREGROUND);
        selfDelete();
        return kUninstallNotFound;
    }

    Installer remover;
    remover.initRemoval(installFolder, uninstallDialog, uninstallProgress);
    if (!remover.runRemoval()) {
        showStopReport();
        return kUninstallStepFailed;
    }
    removeLeftovers(installFolder);
    if (uninstallDialog) EndDialog(uninstallDialog, 0);
    prompt::tell(nullptr, product::kUninstallSuccess, product::kBoxCaption, MB_SETFOREGROUND);
    selfDelete();
    ReleaseMutex(mutex.get());
    mutex.reset();
    return kUninstallRemoved;
}

int uninstallMain(HINSTANCE instance, const char* line) {
    char tempFolder[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, tempFolder);
    if (length == 0 || length >= MAX_PATH) tempFolder[0] = '\0';
    text::dropTrailingSeparator(tempFolder);
    char self[MAX_PATH];
    length = GetModuleFileNameA(instance, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) self[0] = '\0';
    const bool firstStage = !runsAsTempCopy(tempFolder, self);
    Switches switches;
    bool goodLine = readSwitches(line, firstStage ? SwitchSet::Uninstall : SwitchSet::TempCopy, switches);
    prompt::setUnattended(switches.silent);

    // The first stage starts the log afresh; the temporary copy continues it
    // through the handle it inherited. A log that cannot be written does not
    // stop the removal.
    bool logged = switches.logHandle ? runlog::adopt(ULongToHandle(switches.logHandle))
                                     : switches.logFile[0] && runlog::open(switches.logFile);
    if (logged)
        runlog::write("Orlan PDF Scribe Uninstall %s, %s \"%s\", command line: %s", product::kDisplayVersion,
                      firstStage ? "started as" : "temporary copy", self, line ? line : "");
    // Killed before its end, the copy and its folder still go at the next restart.
    if (!firstStage) runlog::step("Asking for the temporary copy's deletion at the next restart", deleteAtRestart(self));
    if (!goodLine) {
        showUsage(SwitchSet::Uninstall, switches.problem);
        return finish(kUninstallBadCommandLine);
    }
    if (switches.help) {
        showUsage(SwitchSet::Uninstall, nullptr);
        runlog::write("Exit code 0: the usage was shown");
        runlog::close();
        return 0;
    }

    KernelHandle mutex(CreateMutexA(nullptr, TRUE, product::kUninstallMutex));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        HWND running = FindWindowA(product::kDialogClass, product::kUninstallCaption);
        if (running) {
            SetForegroundWindow(running);
            runlog::write("Another copy of the uninstaller is running; its window is brought forward.");
            return finish(kUninstallAlreadyRunning);
        }
        DWORD waited = WaitForSingleObject(mutex.get(), kMutexGraceMs);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            runlog::write("Another copy of the uninstaller is running.");
            return finish(kUninstallAlreadyRunning);
        }
    }
    // Nothing to copy from; the wizard has always ended with 0 here.
    if (!self[0]) return finish(kUninstallNoCopy, 0);
    if (firstStage) return runFirstStage(tempFolder, self, switches, mutex);

    // Not the install folder, which could then not be removed, nor the temp
    // folder: Windows 2000 looks for DLLs in the current folder too. The
    // copy's own holds nothing but the copy.
    char ownFolder[MAX_PATH];
    text::folderOfPath(self, ownFolder);
    SetCurrentDirectoryA(ownFolder);
    return finish(removeProduct(instance, mutex));
}
