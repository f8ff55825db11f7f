// Both programs' command lines, from the process's line to the switches.
// Built into the uninstaller's test program under Wine, and for the host
// under the address and undefined-behaviour sanitizers.
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include "common/switches.h"

namespace {
const std::string kProgram = "C:\\Program Files\\Orlan Software\\PDF Scribe\\uninstall.exe";
}

// The program's own path, quoted or not and in any letter case, is no
// switch; without it on the line, the first word is the program's name.
TEST(CommandLine, TheProgramsOwnPathIsNoSwitch) {
    const struct {
        std::string line;
        const char* path;
        const char* switches;
    } rows[] = {
        {kProgram, kProgram.c_str(), ""},
        {kProgram + " /S /LOG=C:\\u.log", kProgram.c_str(), "/S /LOG=C:\\u.log"},
        {"  \"" + kProgram + "\"\t/S", kProgram.c_str(), "/S"},
        {"C:\\PROGRAM FILES\\orlan software\\PDF Scribe\\Uninstall.EXE /S", kProgram.c_str(), "/S"},
        // Not the program's path: today's reading, as the C runtime's.
        {"\"C:\\T mp\\Orl1.exe\" /S", kProgram.c_str(), "/S"},
        {"C:\\Program Files\\Other\\uninstall.exe", kProgram.c_str(), "Files\\Other\\uninstall.exe"},
        {kProgram + "x /S", kProgram.c_str(), "Files\\Orlan Software\\PDF Scribe\\uninstall.exex /S"},
        {"\"" + kProgram + " /S", kProgram.c_str(), ""},
        {"u.exe /S", "", "/S"},
    };
    for (const auto& row : rows) EXPECT_STREQ(row.switches, switchesOfCommandLine(row.line.c_str(), row.path)) << row.line;
}

// Quotes only group, names ignore case, values keep their bytes, and /S is
// still seen on a line that is wrong, so the problem is told without a box.
// A word too long is refused whole: its tail is no word of its own.
TEST(CommandLine, SwitchesAreReadOrTheProblemNamed) {
    const std::string a1023(1023, 'a'), a1024(1024, 'a'), a4000(4000, 'a');
    const struct {
        SwitchSet set;
        std::string line;
        bool silent;
        const char* logFile;
        const char* problem;  // "" when the line is good
    } rows[] = {
        {SwitchSet::Uninstall, "", false, "", ""},
        {SwitchSet::Uninstall, " /s  \"/LOG=C:\\my logs\\u.log\" ", true, "C:\\my logs\\u.log", ""},
        {SwitchSet::Uninstall, "/LOG=\"\\\\srv\\share\\u.log\" /?", false, "\\\\srv\\share\\u.log", ""},
        {SwitchSet::Uninstall, "/log=C:\\\xe9t\xe9\\u.log", false, "C:\\\xe9t\xe9\\u.log", ""},
        {SwitchSet::Uninstall, "/S /D=C:\\X", true, "", "Unknown switch: /D=C:\\X"},
        {SwitchSet::Uninstall, "/X /S", true, "", "Unknown switch: /X"},
        {SwitchSet::Uninstall, "\"/S /X", false, "", "a quote that is not closed"},
        {SwitchSet::Uninstall, "/S \"/LOG=C:\\a b\\u.log /X", true, "", "a quote that is not closed"},
        {SwitchSet::Uninstall, "/S /X\"", true, "", "a quote that is not closed"},
        {SwitchSet::Uninstall, "/LOG=u.log", false, "", "/LOG=u.log needs the full path"},
        {SwitchSet::Uninstall, "/LOG=C:\\a.log /LOG=C:\\b.log", false, "C:\\a.log", "/LOG=C:\\b.log is given twice"},
        // A file on a disk, nothing else: no pipe, device, stream or folder.
        {SwitchSet::Uninstall, "/LOG=\\\\.\\pipe\\x", false, "", "/LOG=\\\\.\\pipe\\x needs the full path of a file on a disk"},
        {SwitchSet::Uninstall, "/LOG=//./pipe/x", false, "", "needs the full path of a file on a disk"},
        {SwitchSet::Uninstall, "/LOG=\\\\?\\C:\\u.log", false, "", "needs the full path of a file on a disk"},
        {SwitchSet::Uninstall, "/LOG=\\\\srv\\PIPE\\x", false, "", "needs the full path of a file on a disk"},
        {SwitchSet::Uninstall, "/LOG=\\\\srv\\mailslot\\x", false, "", "needs the full path of a file on a disk"},
        {SwitchSet::Uninstall, "/LOG=C:\\logs\\NUL", false, "", "needs the full path of a file on a disk"},
        {SwitchSet::Setup, "/LOG=C:\\logs\\com1.log", false, "", "needs the full path of a file on a disk"},
        {SwitchSet::Setup, "\"/LOG=C:\\logs\\nul .txt\"", false, "", "needs the full path of a file on a disk"},
        {SwitchSet::Setup, "/LOG=C:\\logs\\Clock$", false, "", "needs the full path of a file on a disk"},
        {SwitchSet::Setup, "/LOG=C:\\u.log:hidden", false, "", "needs the full path of a file on a disk"},
        {SwitchSet::Setup, "/LOG=C:\\logs\\", false, "", "needs the full path of a file on a disk"},
        {SwitchSet::Setup, "/LOG=\\\\srv\\share", false, "", "needs the full path of a file on a disk"},
        {SwitchSet::Uninstall, "/LOG=C:\\logs\\console.log", false, "C:\\logs\\console.log", ""},
        {SwitchSet::Uninstall, "/LOG=C:\\logs\\COM10.log", false, "C:\\logs\\COM10.log", ""},
        {SwitchSet::Uninstall, "/LOG=\\\\srv\\pipes\\u.log", false, "\\\\srv\\pipes\\u.log", ""},
        // The log's handle: the temporary copy's switch alone, and one log.
        {SwitchSet::Uninstall, "/LOGHANDLE=124", false, "", "Unknown switch: /LOGHANDLE=124"},
        {SwitchSet::TempCopy, "/S /LOGHANDLE=0", true, "", "/LOGHANDLE=0 needs the number of an open log"},
        {SwitchSet::TempCopy, "/LOGHANDLE=4294967296", false, "", "needs the number of an open log"},
        {SwitchSet::TempCopy, "/LOGHANDLE=12x", false, "", "needs the number of an open log"},
        {SwitchSet::TempCopy, "/LOGHANDLE=", false, "", "needs the number of an open log"},
        {SwitchSet::TempCopy, "/LOG=C:\\u.log /LOGHANDLE=12", false, "C:\\u.log", "/LOGHANDLE=12 is given twice"},
        {SwitchSet::TempCopy, "/LOGHANDLE=12 /LOG=C:\\u.log", false, "", "/LOG=C:\\u.log is given twice"},
        {SwitchSet::Setup, "/NOADDIN", false, "", "go with /S only"},
        {SwitchSet::Setup, "/S /S", true, "", "/S is given twice"},
        {SwitchSet::Setup, a1023 + " /S", true, "", "Unknown switch: aaa"},
        {SwitchSet::Setup, a1024 + " /S", true, "", "a word that is too long"},
        {SwitchSet::Setup, a4000 + " /S", true, "", "a word that is too long"},
        {SwitchSet::Setup, "/S " + a4000, true, "", "a word that is too long"},
        {SwitchSet::Setup, a1023 + "/S", false, "", "a word that is too long"},
        {SwitchSet::Setup, "\"/D=" + a4000 + "\" /S", true, "", "a word that is too long"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line.substr(0, 80));
        Switches s;
        EXPECT_EQ(!row.problem[0], readSwitches(row.line.c_str(), row.set, s));
        EXPECT_EQ(row.silent, s.silent);
        EXPECT_STREQ(row.logFile, s.logFile);
        if (row.problem[0]) {
            EXPECT_NE(nullptr, strstr(s.problem, row.problem)) << s.problem;
        } else {
            EXPECT_STREQ("", s.problem);
        }
    }
    Switches copy;
    ASSERT_TRUE(readSwitches("/loghandle=4294967295 /S", SwitchSet::TempCopy, copy));
    EXPECT_EQ(0xFFFFFFFFul, copy.logHandle);
    Switches setup;
    ASSERT_TRUE(readSwitches("/S /D=\"C:\\Program Files\\X\" /noaddin", SwitchSet::Setup, setup));
    EXPECT_TRUE(setup.hasFolder && setup.noAddin && !setup.noShortcut);
    EXPECT_STREQ("C:\\Program Files\\X", setup.folder);
}
