// The command-line parser. It needs nothing of Windows but CharNextA, so it
// is also built for the host and run there under the sanitizers.
#include "common/switches.h"
#include "common/text.h"

namespace {

enum WordFound { kLineEnd = 0, kWord = 1, kQuoteOpen = -1, kWordTooLong = -2 };

// Space and tab separate words, as the C runtime splits a command line.
bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The next word of line, quotes taken out, into word (always terminated);
// line moves past it. A word too long for the buffer is refused whole: line
// moves past all of it, so its tail is never read as a word of its own.
WordFound nextWord(const char*& line, char (&word)[kSwitchWordSize], bool quotesGroup) {
    word[0] = '\0';
    while (isBlank(*line)) ++line;
    if (!*line) return kLineEnd;
    size_t length = 0;
    bool quoted = false, tooLong = false;
    for (; *line && (quoted || !isBlank(*line)); line = CharNextA(line)) {
        if (*line == '"' && quotesGroup) {
            quoted = !quoted;
            continue;
        }
        // A double-byte character goes over whole, or not at all.
        const char* next = CharNextA(line);
        size_t bytes = static_cast<size_t>(next - line);
        if (tooLong || length + bytes >= sizeof word) {
            tooLong = true;
            continue;
        }
        for (const char* p = line; p < next; ++p) word[length++] = *p;
    }
    word[tooLong ? 0 : length] = '\0';
    if (quoted) return kQuoteOpen;
    return tooLong ? kWordTooLong : kWord;
}

// Switch names are ASCII: compared with ASCII case folding and no locale
// (Windows 2000 knows no invariant locale, and a user's locale may fold
// letters differently, as Turkish does "i").
char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether word starts with prefix, in any letter case; value then points
// past it. The value keeps its bytes as given.
bool hasPrefix(const char* word, const char* prefix, const char*& value) {
    size_t i = 0;
    for (; prefix[i]; ++i)
        if (asciiUpper(word[i]) != asciiUpper(prefix[i])) return false;  // word's NUL ends it too
    value = word + i;
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
        text::copy(out.folder, value);  // the word fits: both hold kSwitchWordSize
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

// Two characters of a path, of bytes bytes each, in any letter case: as
// the folder names are compared, by the system's locale beyond ASCII.
bool sameCharacter(const char* a, const char* b, int bytes) {
    if (bytes == 1 && asciiUpper(*a) == asciiUpper(*b)) return true;
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, bytes, b, bytes) == CSTR_EQUAL;
}

// Where the program's name ends: after path, quoted or not, when the line
// starts with it and a blank or the end follows; null otherwise. Walked a
// character at a time, as the path code walks.
const char* pastProgramPath(const char* line, const char* path) {
    if (!path || !*path) return nullptr;
    bool quoted = *line == '"';
    const char* p = quoted ? line + 1 : line;
    for (const char* q = path; *q;) {
        const char* nextP = CharNextA(p);
        const char* nextQ = CharNextA(q);
        int bytes = static_cast<int>(nextQ - q);
        if (nextP - p != bytes) return nullptr;
        if (!sameCharacter(p, q, bytes)) return nullptr;
        p = nextP;
        q = nextQ;
    }
    if (quoted && *p++ != '"') return nullptr;
    return *p == '\0' || isBlank(*p) ? p : nullptr;
}

}  // namespace

const char* switchesOfCommandLine(const char* line, const char* programPath) {
    if (!line) return "";
    while (isBlank(*line)) ++line;
    const char* rest = pastProgramPath(line, programPath);
    if (!rest) {
        // As the C runtime skips the program's name: a quoted name to its
        // closing quote, an unquoted one to the first blank.
        rest = line;
        bool quoted = false;
        for (; *rest && (quoted || !isBlank(*rest)); rest = CharNextA(rest))
            if (*rest == '"') quoted = !quoted;
    }
    while (isBlank(*rest)) ++rest;
    return rest;
}

bool readSwitches(const char* line, SwitchSet set, Switches& out) {
    ZeroMemory(&out, sizeof out);
    const bool setup = set == SwitchSet::Setup;
    // Every word is read, even after a wrong one: a /S or /LOG= later on the
    // line says how the first problem is to be reported.
    char word[kSwitchWordSize];
    for (const char* rest = line ? line : "";;) {
        WordFound found = nextWord(rest, word, true);
        if (found == kLineEnd) break;
        if (found == kWord) {
            take(out, word, setup);
            continue;
        }
        text::copy(out.problem, found == kQuoteOpen ? "The command line has a quote that is not closed."
                                                    : "The command line has a word that is too long.");
        // Without the grouping the words may still hold the /S that keeps
        // this run silent.
        for (const char* plain = line; nextWord(plain, word, false) != kLineEnd;)
            if (is(word, "/S")) out.silent = true;
        return false;
    }
    if (!out.problem[0] && !out.silent && (out.hasFolder || out.noAddin || out.noShortcut || out.keepDefault))
        text::copy(out.problem, "/D=, /NOADDIN, /NOSHORTCUT and /KEEPDEFAULT go with /S only.");
    return !out.problem[0];
}
