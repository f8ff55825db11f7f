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

// Switch names are ASCII, compared as the product's file names are.
using text::asciiUpper;

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

// Whether word, up to its end or a dot, is name, in any letter case, but
// for blanks before the dot: Windows reads "nul .txt" as NUL too.
bool isBaseName(const char* word, const char* name) {
    const char* rest = nullptr;
    if (!hasPrefix(word, name, rest)) return false;
    while (*rest == ' ') ++rest;
    return !*rest || *rest == '.';
}

// Names that Windows opens as devices in any folder, with any extension.
bool isDeviceName(const char* name) {
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : kDevices)
        if (isBaseName(name, device)) return true;
    static const char* const kPorts[] = {"COM", "LPT"};
    for (const char* port : kPorts) {
        const char* rest = nullptr;
        if (hasPrefix(name, port, rest) && *rest >= '1' && *rest <= '9' && isBaseName(rest + 1, "")) return true;
    }
    return false;
}

// The full path of a file on a disk: "X:\..." or "\\server\share\...", and
// never a device or pipe: no "\\.\" or "\\?\" path, no share that is the
// pipes' or mailslots' (\\server\pipe\x is a pipe on that machine), no
// colon past the drive's (a stream, or "COM1:"), no device name as the file
// name, and a file name at the end.
bool isDiskFilePath(const char* path) {
    const char* rest = nullptr;
    if (text::isLetter(path[0]) && path[1] == ':' && text::isSeparator(path[2], true)) {
        rest = path + 3;
    } else if (text::isSeparator(path[0], true) && text::isSeparator(path[1], true)) {
        const char* server = path + 2;
        const char* share = server;
        while (*share && !text::isSeparator(*share, true)) share = CharNextA(share);
        if (share == server || !*share) return false;
        if (share - server == 1 && (*server == '.' || *server == '?')) return false;
        ++share;
        rest = share;
        while (*rest && !text::isSeparator(*rest, true)) rest = CharNextA(rest);
        if (rest == share || !*rest) return false;
        const char* after = nullptr;
        static const char* const kReserved[] = {"PIPE", "MAILSLOT"};
        for (const char* reserved : kReserved)
            if (hasPrefix(share, reserved, after) && after == rest) return false;
        ++rest;
    } else {
        return false;
    }
    const char* name = rest;
    for (const char* p = rest; *p; p = CharNextA(p)) {
        if (*p == ':') return false;
        if (text::isSeparator(*p, true)) name = p + 1;
    }
    return *name && !isDeviceName(name);
}

// The handle number that the first stage gives its temporary copy: decimal,
// not 0, 32 bits at most (what handles carry between processes).
bool readHandleNumber(const char* digits, DWORD& out) {
    unsigned long long value = 0;
    const char* p = digits;
    for (; *p >= '0' && *p <= '9' && p - digits < 10; ++p) value = value * 10 + static_cast<unsigned>(*p - '0');
    if (p == digits || *p || value == 0 || value > 0xFFFFFFFFull) return false;
    out = static_cast<DWORD>(value);
    return true;
}

bool flag(bool& set) {
    bool twice = set;
    set = true;
    return !twice;
}

// Takes one word into out; false when the word is wrong (problem then says
// why, unless an earlier word's problem is there already).
bool take(Switches& out, const char* word, SwitchSet set) {
    const bool setup = set == SwitchSet::Setup;
    const char* value = nullptr;
    const char* problem = nullptr;
    if (is(word, "/S")) {
        if (!flag(out.silent)) problem = "%s is given twice.";
    } else if (is(word, "/?")) {
        if (!flag(out.help)) problem = "%s is given twice.";
    } else if (hasPrefix(word, "/LOG=", value)) {
        // No quote reaches here (every quote groups), so the path can be
        // passed on quoted to the uninstaller's temporary copy.
        if (out.logFile[0] || out.logHandle)
            problem = "%s is given twice.";
        else if (!isDiskFilePath(value))
            problem = "%s needs the full path of a file on a disk, such as /LOG=C:\\setup.log.";
        else if (!text::copy(out.logFile, value))
            problem = "%s names a path that is too long.";
    } else if (set == SwitchSet::TempCopy && hasPrefix(word, "/LOGHANDLE=", value)) {
        if (out.logFile[0] || out.logHandle)
            problem = "%s is given twice.";
        else if (!readHandleNumber(value, out.logHandle))
            problem = "%s needs the number of an open log.";
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
    // Every word is read, even after a wrong one: a /S or /LOG= later on the
    // line says how the first problem is to be reported.
    char word[kSwitchWordSize];
    for (const char* rest = line ? line : "";;) {
        WordFound found = nextWord(rest, word, true);
        if (found == kLineEnd) break;
        if (found == kWord) {
            take(out, word, set);
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
