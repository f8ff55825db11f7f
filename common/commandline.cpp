// The process's own command line, and the usage box for one that is wrong.
#include "common/product.h"
#include "common/prompt.h"
#include "common/runlog.h"
#include "common/switches.h"
#include "common/text.h"

const char* processSwitches() {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) self[0] = '\0';
    return switchesOfCommandLine(GetCommandLineA(), self);
}

void showUsage(SwitchSet set, const char* problem) {
    const bool setup = set == SwitchSet::Setup;
    const char* usage = setup ? product::kSetupUsage : product::kUninstallUsage;
    if (problem) runlog::write("Bad command line: %s", problem);
    char message[1024];
    if (problem)
        text::format(message, "%s\n\n%s", problem, usage);
    else
        text::copy(message, usage);
    prompt::tell(nullptr, message, setup ? product::kSetupBoxCaption : product::kUninstallBoxCaption,
                 problem ? MB_ICONEXCLAMATION : MB_ICONINFORMATION);
}
