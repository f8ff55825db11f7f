// The switches of both programs' command lines. The line is split into words
// at spaces and tabs outside double quotes; a quote only groups, so
// /D="C:\Program Files\X" and "/D=C:\Program Files\X" are the same word, and
// a backslash is a plain path character. Switch names ignore letter case.
#pragma once
#include <windows.h>

// The uninstaller's temporary copy reads the uninstaller's switches and
// /LOGHANDLE=, the log that the first stage handed over.
enum class SwitchSet { Setup, Uninstall, TempCopy };

// Room for one word, terminator included: a longer word is refused whole.
const size_t kSwitchWordSize = 1024;

struct Switches {
    bool silent;       // /S
    bool help;         // /?
    bool noAddin;      // /NOADDIN, setup only
    bool noShortcut;   // /NOSHORTCUT, setup only
    bool keepDefault;  // /KEEPDEFAULT, setup only
    // /D=, setup only, as given: setup checks it as the Destination page
    // checks a typed folder, so it may be empty, relative or too long here.
    bool hasFolder;
    char folder[kSwitchWordSize];
    char logFile[MAX_PATH];  // /LOG=; "" when not given
    DWORD logHandle;         // /LOGHANDLE=, the temporary copy's only; 0 when not given
    // What is wrong with the line, for the log and the usage box; "" when
    // nothing is.
    char problem[320];
};

// The switches part of the process's command line: what follows the
// program's own full path when the line starts with it, quoted or not.
// Windows hands an unquoted path over as written (Add/Remove Programs runs
// an unquoted UninstallString so), and its blanks must not make switches.
// Otherwise what follows the first word, as the C runtime takes it.
const char* switchesOfCommandLine(const char* line, const char* programPath);

// The same for this process: GetCommandLineA and its own module's path.
const char* processSwitches();

// Reads line (the switches part of the command line). False, with problem
// saying why, for an unknown switch, an unbalanced quote, a word too long,
// a switch given twice (/LOG= and /LOGHANDLE= are one), /LOG= without the
// full path of a file on a disk that fits, or a setup switch without /S.
bool readSwitches(const char* line, SwitchSet set, Switches& out);

// The usage, after the problem when there is one (logged first as a bad
// command line): a box with the program's caption, or unattended only the log.
void showUsage(SwitchSet set, const char* problem);
