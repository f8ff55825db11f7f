// The uninstaller's own pieces: its checks and self-deletion, the clean-up
// after a successful run, its entry decisions and its progress dialog.
#pragma once
#include <windows.h>
#include "common/handles.h"
#include "common/switches.h"

// ---- Exit codes ----

// What a run of the uninstaller came to. Unattended (/S) these are its exit
// codes; the wizard ends with the codes it always had (wizardExitCode), but
// for a bad command line, which ends either with its own code.
enum UninstallExit {
    kUninstallRemoved = 0,
    kUninstallDeclined = 2,         // the user said No (the wizard only)
    kUninstallHandedOver = 3,       // the first stage started the temporary copy, which goes on alone
    kUninstallBadCommandLine = 4,
    kUninstallNoCopy = 5,           // the temporary copy could not be made or started
    kUninstallAlreadyRunning = 6,   // another uninstaller holds the mutex
    kUninstallNotFound = 7,         // no installation is recorded
    kUninstallRefused = 8,          // no administrator rights
    kUninstallStepFailed = 9,       // a removal step failed, such as a printer that would not go
};

// What an outcome means, for the log.
const char* exitMeaning(UninstallExit outcome);

// The wizard's exit code for an outcome: 0 when nothing was done, 1 when
// the run was performed (whether it succeeded or not), 2 after No, 3 for the
// first stage.
int wizardExitCode(UninstallExit outcome);

// ---- Checks and self-deletion ----

// Whether the user holds administrator privilege on this computer, from the
// user's account record (NetApi32, looked up at run time). Returns false when
// the test cannot be carried out; *isAdmin is written only on success.
bool isUserAdmin(bool* isAdmin);

// How isUserAdmin loads NetApi32.dll, so that a test can have it answer the
// way Wine's cannot (an administrator, a failing or incomplete library).
struct NetApiCalls {
    // The system's: from the system folder only.
    HMODULE (*loadLibrary)(const char* name);
};
extern NetApiCalls netApiCalls;

// The system's own calls, as the uninstaller uses them.
NetApiCalls systemNetApiCalls();

// Has a hidden command processor delete the running program's file, and
// then its folder, once the program has ended. Returns 0 when the command
// processor was started, otherwise the system error. The caller must end the
// process right after.
DWORD selfDelete();

// The same for the file at path and its folder: the command processor starts
// suspended and idle, this process is raised to high priority, and the
// file's attributes are made normal so that a read-only file goes too.
DWORD deleteAfterExit(const char* path);

// What deletes the file at path and then its folder: the command line for
// commandProcessor and the folder it runs in. Only the file's name and its
// folder's name, always quoted, reach the command line: the command
// processor starts in the file's folder, which only administrators can write,
// and steps up to the one above (the user's temp folder, which may have any
// of "&^%()!" in its path) only to remove it. For a "\\server\share" path,
// where cmd cannot run, both go whole. False when even that cannot be passed
// safely: a "%" (expanded even inside quotes) in what would reach the
// command line, a file with no folder of its own, or a path that does not fit.
bool selfDeleteCommand(const char* commandProcessor, const char* path, char (&folder)[MAX_PATH], char* out,
                       size_t capacity);

// Whether the user may change the machine-wide product records: the product
// key under HKEY_LOCAL_MACHINE opens for writing and deleting.
bool canWriteMachineRecords();

// When the account record cannot be read (a domain account, no NetApi32),
// the rights the removal needs decide: may the machine-wide records be changed?
bool mayRemoveMachineInstall(bool adminTestDone, bool isAdmin, bool canWriteMachine);

// ---- Removal clean-up ----

// What the log says of a deletion that a link on the way kept from happening.
const char kKeptForLink[] = "kept: a folder on its way is a link or could not be held";

// After a successful run: older registry keys, shortcuts and folders; the
// outcome goes into the log.
void removeLeftovers(const char* installFolder);

// "%s\%s" of folder and file; false (nothing to touch) when the folder is
// empty or the path does not fit.
bool productFilePath(char (&out)[MAX_PATH], const char* folder, const char* file);

// A drive root such as "C:" or "C:\": never removed as a folder.
bool isDriveRoot(const char* folder);

// ---- Entry decisions ----

// Two folder names for the same folder: compared case-insensitively,
// ignoring one trailing separator.
bool sameFolderName(const char* a, const char* b);

// Whether the program folder is the temp folder, whichever form (short or
// long) the system reports either of them in.
bool runsFromTemp(const char* tempFolder, const char* programFolder);

// Whether the program at path is a temporary copy: "Orl<n>.exe" in a folder
// "Orl<n>" of the temp folder, n in hexadecimal, as the first stage makes
// them. A program the user put there runs the removal with no copy of its
// own; but the user could have run it from anywhere, and the installed
// uninstaller, which lies elsewhere, always makes a copy first.
bool runsAsTempCopy(const char* tempFolder, const char* programPath);

// ---- The temporary copy ----

// "Orl" and one to four hexadecimal digits: the name of a copy's folder.
bool isTempCopyName(const char* name);

// Copies source into a new folder "Orl<n>" of tempFolder as "Orl<n>.exe", n
// counting from firstNumber past every name that something holds. The folder
// is made in one step with the protected descriptor (only administrators and
// SYSTEM may change it), so that no DLL can be planted beside the copy, and
// is held open in heldFolder, so that it cannot be renamed or replaced until
// the copy has started; once held, it must still be empty and the
// administrators' alone. Refused when a folder on the way is a link, and,
// with administrator rights, when the temp folder is not on a local fixed
// disk that keeps permissions. Without administrator rights nothing is
// guarded, and the folder keeps the temp folder's rights. False, with
// errorText saying why, when no copy was made; copy then names nothing.
bool makeTempCopy(const char* tempFolder, const char* source, UINT firstNumber, char (&copy)[MAX_PATH],
                  FileHandle& heldFolder);

// The temporary copy's command line: its quoted path, then /S when pass has
// it and /LOGHANDLE= with the log's handle when there is one. False when it
// does not fit.
const size_t kCopyCommandSize = MAX_PATH + 48;
bool tempCopyCommand(const char* copy, const Switches& pass, HANDLE log, char (&out)[kCopyCommandSize]);

// Starts the copy suspended, with tempCopyCommand's line, when it holds
// exactly source's bytes. It is held, closed to writing and deletion, from
// that check until the system has started it. The open log, and no other
// handle, is inherited by it. thread receives the copy's main thread, for
// the caller to resume once its own log lines are in. False with the report.
bool startTempCopy(const char* source, const char* copy, const Switches& pass, HANDLE log, KernelHandle& thread);

// Lets go of the copy's folder and deletes the copy that will not run, and
// its folder when nothing else is in it.
void discardTempCopy(const char* copy, FileHandle& heldFolder);

// Asks for the copy's deletion, and then its folder's, at the next restart:
// a copy killed before its end leaves nothing for good. False when the
// system did not take both.
bool deleteAtRestart(const char* copy);

// Removes what copies of earlier runs left in tempFolder (a copy killed
// during its removal): each folder named as a copy's, with its copy, when
// neither is a link, the copy has no second name, no process still runs it,
// and, with administrator rights, only administrators can change the
// folder. Returns how many folders went.
int sweepTempCopies(const char* tempFolder);

// ---- Progress dialog ----

// Written once by the dialog thread when the dialog is initialised.
extern HWND volatile uninstallDialog;
extern HWND volatile uninstallProgress;

// Shows dialog 102 modally; the parameter is the module instance.
DWORD WINAPI uninstallDialogThread(LPVOID instance);

// Waits until both dialog handles are set, at most limitMs, polling every
// stepMs. Returns whether they are set.
bool waitForDialog(DWORD limitMs, DWORD stepMs);

// The second stage, running from the temp folder: the confirmation, the
// progress dialog (not when unattended), finding the installation, the run
// and the clean-up after it. mutex is released after a successful run.
UninstallExit removeProduct(HINSTANCE instance, KernelHandle& mutex);

// The program's entry: line is the command line after the program's name.
// Returns the exit code.
int uninstallMain(HINSTANCE instance, const char* line);
