#!/usr/bin/env python3
"""What Windows 2000 lacks beyond its export tables: constants, flags and
functions looked up by name. Each identifier of the list may appear in the
production sources (code and strings, not comments) only in the places named
below, which look it up or guard its use.

Usage: win2k_identifiers.py <list file> <source root> [folders...]
"""
import os
import re
import sys

# (file, identifier pattern): the places that look up or guard each use.
ALLOWED = {
    # Looked up in kernel32 at run time; a missing function leaves the
    # search as Windows 2000 has it.
    ("common/dllsearch.cpp", "SetDllDirectoryA"),
    ("common/dllsearch.cpp", "SetDefaultDllDirectories"),
    ("common/dllsearch.cpp", "AddDllDirectory"),
    ("common/dllsearch.cpp", "RemoveDllDirectory"),
    # Passed only once SetDefaultDllDirectories was found.
    ("common/dllsearch.cpp", "LOAD_LIBRARY_SEARCH_*"),
    ("common/system.cpp", "SetDefaultDllDirectories"),
    ("common/system.cpp", "LOAD_LIBRARY_SEARCH_*"),
    # Looked up in kernel32 by the system checks.
    ("setup/entry.cpp", "IsWow64Process"),
}

FOLDERS = ["common", "setup", "install", "uninstall", "payload"]
EXTENSIONS = (".cpp", ".h", ".c", ".rc", ".def")


def load_list(path):
    entries = []
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        entries.append(line.split("\t")[0].strip())
    return entries


def pattern_of(entry):
    if entry.endswith("*"):
        return re.compile(r"\b" + re.escape(entry[:-1]) + r"\w*")
    return re.compile(r"\b" + re.escape(entry) + r"\b")


def without_comments(text):
    """The text with // and /* */ comments blanked; strings and character
    literals are kept, since a name looked up is passed as a string."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
        elif text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("\n" * text.count("\n", i, j))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def main(argv):
    if len(argv) < 3:
        print(__doc__)
        return 2
    entries = load_list(argv[1])
    root = argv[2]
    folders = argv[3:] or FOLDERS
    if len(entries) < 10:
        print("FAIL: the list at %s holds only %d identifiers" % (argv[1], len(entries)))
        return 1
    patterns = [(entry, pattern_of(entry)) for entry in entries]
    failures, files = [], 0
    for folder in folders:
        for base, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if not name.endswith(EXTENSIONS):
                    continue
                path = os.path.join(base, name)
                relative = os.path.relpath(path, root).replace(os.sep, "/")
                files += 1
                code = without_comments(open(path, encoding="latin-1").read())
                for number, line in enumerate(code.split("\n"), 1):
                    for entry, pattern in patterns:
                        if pattern.search(line) and (relative, entry) not in ALLOWED:
                            failures.append("%s:%d: %s, which Windows 2000 lacks, outside the places that look it "
                                            "up or guard it: %s" % (relative, number, entry, line.strip()))
    if files < 10:
        print("FAIL: only %d source files read under %s" % (files, root))
        return 1
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
