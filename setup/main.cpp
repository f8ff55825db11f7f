#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include "common/dllsearch.h"
#include "common/errorreport.h"
#include "common/product.h"
#include "common/prompt.h"
#include "common/runlog.h"
#include "common/switches.h"
#include "common/text.h"
#include "setup/entry.h"
#include "setup/options.h"
#include "setup/page_logic.h"
#include "setup/pages.h"
#include "setup/run.h"

namespace {

// The wizard, as it has always run. Its outcome, by the exit codes' kinds,
// for the log: the wizard itself always exits with 0.
int runWizard(HINSTANCE instance, HANDLE mutex) {
    InitCommonControls();
    showSplash(instance);

    bool ranInstallation = false;
    // Every page gets the run: the progress page carries it out with the
    // choices as they stand then, and the Finish page reads what it learned.
    InstallRun run = {};
    Page page = Page::Welcome;
    Road road = Road::Undecided;
    while (page != Page::End) {
        if (page == Page::Progress) run.choices = options;
        INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(pageDialog(page)), nullptr, pageProcedure(page),
                                         reinterpret_cast<LPARAM>(&run));
        if (page == Page::Progress) ranInstallation = true;
        Step step = nextPage(page, road, result);
        if (step.applyDefaults) applyDefaultChoices();
        page = step.next;
        road = step.road;
    }
    if (!ranInstallation) return kExitCancelled;
    if (mutex) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    return !run.succeeded ? kExitFailed : run.declined ? kExitCancelled : kExitSuccess;
}

// /S: the Default road with the switches' changes, no window at all.
int runUnattended(const Switches& switches) {
    applyDefaultChoices();
    if (switches.hasFolder) {
        FolderProblem problem = checkInstallFolder(switches.folder);
        if (problem != FolderProblem::None) {
            char message[512];
            folderProblemMessage(message, sizeof message, problem, switches.folder);
            runlog::write("/D=%s: %s", switches.folder, message);
            return kExitBadCommandLine;
        }
        text::copy(options.installDir, switches.folder);
    }
    options.addWordAddin = switches.noAddin ? 0 : 1;
    options.addStartMenuIcon = switches.noShortcut ? 0 : 1;

    InstallRun run = {};
    run.choices = options;
    CoInitialize(nullptr);
    int succeeded = performInstallation(run);
    CoUninitialize();
    if (!succeeded) return kExitFailed;
    if (run.declined) return kExitCancelled;
    // As the Finish page's cleared box does.
    if (switches.keepDefault) giveDefaultBack(run);
    return kExitSuccess;
}

// The end of a run in the log; the code it exits with.
int finish(int code, const char* meaning = nullptr) {
    runlog::write("Exit code %d: %s", code, meaning ? meaning : exitMeaning(code));
    runlog::close();
    return code;
}

int setupMain(HINSTANCE instance, const char* commandLine) {
    Switches switches;
    bool goodLine = readSwitches(commandLine, SwitchSet::Setup, switches);
    prompt::setUnattended(switches.silent);
    openRunLog(switches, commandLine);
    if (!goodLine) {
        showUsage(SwitchSet::Setup, switches.problem);
        return finish(kExitBadCommandLine);
    }
    if (switches.help) {
        showUsage(SwitchSet::Setup, nullptr);
        return finish(kExitSuccess);
    }

    // Without /S setup exits with 0 whatever happens, as it always has; the
    // log still says why it ended.
    auto end = [&](int outcome) {
        return switches.silent ? finish(outcome) : finish(kExitSuccess, exitMeaning(outcome));
    };

    HANDLE mutex = CreateMutexA(nullptr, TRUE, product::kSetupMutex);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        runlog::write("Another copy of setup is running.");
        ReleaseMutex(mutex);
        if (!switches.silent) SetForegroundWindow(FindWindowA(product::kDialogClass, product::kWizardCaption));
        return end(kExitAlreadyRunning);
    }
    if (!checkSystem()) return end(kExitRefused);
    if (!initFolders(instance)) return end(kExitFailed);
    if (switches.silent) return finish(runUnattended(switches));

    return end(runWizard(instance, mutex));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    hardenDllSearch();
    return setupMain(instance, processSwitches());
}
