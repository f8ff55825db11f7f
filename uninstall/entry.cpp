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

// Makes and starts the temporary copy, passing the switches on; the first
// stage's whole work.
int runFirstStage(const char* tempFolder, const char* self, const Switches& switches, KernelHandle& mutex) {
    char copy[MAX_PATH];
    // Counting from the clock, as the system picks its own temp names.
    if (!makeTempCopy(tempFolder, self, GetTickCount(), copy)) {
        reportError("CopyFile", 0);
        runlog::write("The temporary copy could not be made in \"%s\": %s", tempFolder, errorText);
        return finish(kUninstallNoCopy);
    }

    // The copy tests the mutex as its first act: let go of it before the
    // copy starts, so that the copy never takes this ending process for a
    // running uninstaller.
    ReleaseMutex(mutex.get());
    mutex.reset();
    KernelHandle thread;
    if (!startTempCopy(self, copy, switches, thread)) {
        reportError("CreateProcess", 0);
        runlog::write("The temporary copy \"%s\" could not be started: %s", copy, errorText);
        DeleteFileA(copy);
        return finish(kUninstallNoCopy);
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

bool tempCopyCommand(const char* copy, const Switches& pass, char (&out)[kCopyCommandSize]) {
    return text::format(out, "\"%s\"", copy) && (!pass.silent || text::append(out, " /S")) &&
           (!pass.logFile[0] || text::formatInto(out + lstrlenA(out), kCopyCommandSize - lstrlenA(out),
                                                 " \"/LOG=%s\"", pass.logFile));
}

bool startTempCopy(const char* source, const char* copy, const Switches& pass, KernelHandle& thread) {
    // The temp folder is the user's: any of their programs could replace the
    // copy between its making and its start. Held without write or delete
    // sharing, it stays what the check below saw until the system has it.
    FileHandle held(CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    FileHandle original(CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!held || !original || !sameContents(original.get(), held.get())) return false;

    char command[kCopyCommandSize];
    if (!tempCopyCommand(copy, pass, command)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    runlog::write("Starting the temporary copy: %s", command);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Named apart from its command line, the program started is the copy and
    // nothing the line's blanks could make of it.
    if (!CreateProcessA(copy, command, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                        &process))
        return false;
    thread.reset(process.hThread);
    CloseHandle(process.hProcess);
    return true;
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
    runlog::write("Removing what earlier releases left: done");
    if (uninstallDialog) EndDialog(uninstallDialog, 0);
    prompt::tell(nullptr, product::kUninstallSuccess, product::kBoxCaption, MB_SETFOREGROUND);
    selfDelete();
    ReleaseMutex(mutex.get());
    mutex.reset();
    return kUninstallRemoved;
}

int uninstallMain(HINSTANCE instance, const char* line) {
    Switches switches;
    bool goodLine = readSwitches(line, SwitchSet::Uninstall, switches);
    prompt::setUnattended(switches.silent);

    char tempFolder[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, tempFolder);
    if (length == 0 || length >= MAX_PATH) tempFolder[0] = '\0';
    text::dropTrailingSeparator(tempFolder);
    char self[MAX_PATH];
    length = GetModuleFileNameA(instance, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) self[0] = '\0';
    char programFolder[MAX_PATH];
    folderOfPath(self, programFolder);
    const bool firstStage = !runsFromTemp(tempFolder, programFolder);

    // The first stage starts the log afresh; the temporary copy continues it.
    // A log that cannot be written does not stop the removal.
    if (switches.logFile[0] && runlog::open(switches.logFile, !firstStage))
        runlog::write("Orlan PDF Scribe Uninstall %s, %s \"%s\", command line: %s", product::kDisplayVersion,
                      firstStage ? "started as" : "temporary copy", self, line ? line : "");
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

    // The copy inherits the first stage's current folder, usually the install
    // folder; a folder that is a process's current folder cannot be removed.
    SetCurrentDirectoryA(tempFolder);
    return finish(removeProduct(instance, mutex));
}
