#include "common/switches.h"
#include "common/product.h"
#include "common/prompt.h"
#include "common/runlog.h"
#include "common/text.h"

namespace {

// The next word of line, quotes taken out, into word; line moves past it.
// 0 at the end of the line, -1 for an unbalanced quote or a word too long.
int nextWord(const char*& line, char (&word)[1024], bool quotesGroup) {
    while (*line == ' ' || *line == '\t') ++line;
    if (!*line) return 0;
    size_t length = 0;
    bool quoted = false;
    for (; *line && (quoted || (*line != ' ' && *line != '\t')); line = CharNextA(line)) {
        if (*line == '"' && quotesGroup) {
            quoted = !quoted;
            continue;
        }
        // A double-byte character goes over whole.
        for (const char* p = line; p < CharNextA(line); ++p) {
            if (length + 1 >= sizeof word) return -1;
            word[length++] = *p;
        }
    }
    word[length] = '\0';
    return quoted ? -1 : 1;
}

// Whether word starts with prefix, in any letter case; value then points
// past it.
bool hasPrefix(const char* word, const char* prefix, const char*& value) {
    int length = lstrlenA(prefix);
    if (lstrlenA(word) < length ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, word, length, prefix, length) != CSTR_EQUAL)
        return false;
    value = word + length;
    return true;
}

bool is(const char* word, const char* name) {
    const char* rest = nullptr;
    return hasPrefix(word, name, rest) && !*rest;
}

// A drive letter, a colon and a backslash, or a \\server\share.
bool isFullPath(const char* path) {
    return (text::isLetter(path[0]) && path[1] == ':' && text::isSeparator(path[2], true)) ||
           (text::isSeparator(path[0], true) && text::isSeparator(path[1], true) && path[2]);
}

bool flag(bool& set) {
    bool twice = set;
    set = true;
    return !twice;
}

// Takes one word into out; false when the word is wrong (problem then says
// why, unless an earlier word's problem is there already).
bool take(Switches& out, const char* word, bool setup) {
    const char* value = nullptr;
    const char* problem = nullptr;
    if (is(word, "/S")) {
        if (!flag(out.silent)) problem = "%s is given twice.";
    } else if (is(word, "/?")) {
        if (!flag(out.help)) problem = "%s is given twice.";
    } else if (hasPrefix(word, "/LOG=", value)) {
        // No quote reaches here (every quote groups), so the path can be
        // passed on quoted to the uninstaller's temporary copy.
        if (out.logFile[0])
            problem = "%s is given twice.";
        else if (!isFullPath(value))
            problem = "%s needs the full path of a file, such as /LOG=C:\\setup.log.";
        else if (!text::copy(out.logFile, value))
            problem = "%s names a path that is too long.";
    } else if (setup && hasPrefix(word, "/D=", value)) {
        if (!flag(out.hasFolder)) problem = "%s is given twice.";
        text::copy(out.folder, value);  // the word fits: both hold 1024
    } else if (setup && is(word, "/NOADDIN")) {
        if (!flag(out.noAddin)) problem = "%s is given twice.";
    } else if (setup && is(word, "/NOSHORTCUT")) {
        if (!flag(out.noShortcut)) problem = "%s is given twice.";
    } else if (setup && is(word, "/KEEPDEFAULT")) {
        if (!flag(out.keepDefault)) problem = "%s is given twice.";
    } else {
        problem = "Unknown switch: %s";
    }
    if (problem && !out.problem[0]) {
        char name[64];
        text::copy(name, word);  // cut: the log line need not hold a whole long word
        text::format(out.problem, problem, name);
    }
    return !problem;
}

}  // namespace

bool readSwitches(const char* line, SwitchSet set, Switches& out) {
    ZeroMemory(&out, sizeof out);
    const bool setup = set == SwitchSet::Setup;
    // Every word is read, even after a wrong one: a /S or /LOG= later on the
    // line says how the first problem is to be reported.
    char word[1024];
    for (const char* rest = line ? line : "";;) {
        int found = nextWord(rest, word, true);
        if (found == 0) break;
        if (found > 0) {
            take(out, word, setup);
            continue;
        }
        text::copy(out.problem, "The command line has a quote that is not closed, or a word that is too long.");
        // Without the grouping the words may still hold the /S that keeps
        // this run silent.
        for (const char* plain = line; nextWord(plain, word, false) != 0;)
            if (is(word, "/S")) out.silent = true;
        return false;
    }
    if (!out.problem[0] && !out.silent && (out.hasFolder || out.noAddin || out.noShortcut || out.keepDefault))
        text::copy(out.problem, "/D=, /NOADDIN, /NOSHORTCUT and /KEEPDEFAULT go with /S only.");
    return !out.problem[0];
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
