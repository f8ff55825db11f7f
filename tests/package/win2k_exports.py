#!/usr/bin/env python3
"""Every function a shipped i386 binary takes from Windows, checked against
the names Windows 2000 SP4 exports.

Usage: win2k_exports.py LISTS_DIR MINGW_LIB_DIR MAY_BE_MISSING BINARY...

- Static and delay imports from a DLL that has a list must be on it; an
  import by name of a function that 2000 exported only by ordinal fails.
- Imports from DLLs without a list are counted and printed as unchecked.
- Names looked up at run time (GetProcAddress with a literal name) are found
  as strings in the binary that name a function of a listed DLL, as that
  DLL's list or MinGW's import library for it (MINGW_LIB_DIR) knows it. Each must be
  on the list, or be one of MAY_BE_MISSING (comma-separated dll!name), which
  the programs look up precisely because old systems lack them.
Prints one line per finding; exits 1 on any failure.
"""
import os
import re
import struct
import subprocess
import sys


def rva_to_offset(sections, rva):
    for virtual, size, raw, raw_size in sections:
        if virtual <= rva < virtual + max(size, raw_size):
            return raw + rva - virtual
    raise ValueError("RVA %#x is in no section" % rva)


def c_string(data, offset):
    return data[offset:data.index(b"\0", offset)].decode("ascii", "replace")


def read_thunks(data, sections, rva):
    """(ordinal, None) or (None, name) for each entry of a 32-bit thunk list."""
    entries = []
    offset = rva_to_offset(sections, rva)
    while True:
        (value,) = struct.unpack_from("<I", data, offset)
        if value == 0:
            return entries
        if value & 0x80000000:
            entries.append((value & 0xFFFF, None))
        else:
            entries.append((None, c_string(data, rva_to_offset(sections, value) + 2)))
        offset += 4


def delay_descriptors(data, sections):
    def valid(rva):
        try:
            return rva and rva_to_offset(sections, rva) < len(data)
        except ValueError:
            return False

    for _, _, raw, raw_size in sections:
        for offset in range(raw, raw + raw_size - 32, 4):
            attributes, name, module, table, names, bound, unload, stamp = struct.unpack_from("<8I", data, offset)
            if attributes != 1 or stamp or not all(valid(v) for v in (name, module, table, names)):
                continue
            try:
                dll = c_string(data, rva_to_offset(sections, name))
                if re.fullmatch(r"[A-Za-z0-9_.-]+\.(dll|drv)", dll, re.I) and read_thunks(data, sections, names):
                    yield offset
            except (ValueError, struct.error, UnicodeDecodeError):
                continue


def imports_of(path):
    """machine, [(dll, kind, ordinal, name)] for static and delay imports."""
    data = open(path, "rb").read()
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    machine, count, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    if struct.unpack_from("<H", data, optional)[0] != 0x10B:
        raise ValueError("not a 32-bit PE file")
    directories = optional + 96
    table = optional + optional_size
    sections = []
    for i in range(count):
        virtual_size, virtual, raw_size, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        sections.append((virtual, virtual_size, raw, raw_size))

    found = []
    import_rva, _ = struct.unpack_from("<II", data, directories + 8 * 1)
    offset = rva_to_offset(sections, import_rva) if import_rva else None
    while offset is not None:
        lookup, _, _, name_rva, first = struct.unpack_from("<IIIII", data, offset)
        if name_rva == 0:
            break
        dll = c_string(data, rva_to_offset(sections, name_rva)).lower()
        for ordinal, name in read_thunks(data, sections, lookup or first):
            found.append((dll, "static", ordinal, name))
        offset += 20

    # MinGW's delay-import libraries leave the Delay Import Directory entry
    # empty (its own helper walks the descriptors), so the descriptors are
    # found by their shape: attributes 1 (RVAs), a DLL's name, the module
    # handle, the address and name tables, no time stamp.
    for offset in delay_descriptors(data, sections):
        _, name_rva, _, _, names_rva = struct.unpack_from("<IIIII", data, offset)
        dll = c_string(data, rva_to_offset(sections, name_rva)).lower()
        for ordinal, name in read_thunks(data, sections, names_rva):
            found.append((dll, "delay", ordinal, name))
    return machine, found, data


def load_lists(folder):
    names, ordinal_only = {}, {}
    for entry in os.listdir(folder):
        path = os.path.join(folder, entry)
        if entry.endswith(".ordinal-only.txt"):
            dll = entry[: -len(".ordinal-only.txt")]
            ordinal_only[dll] = {line.split("\t")[1].strip() for line in open(path) if "\t" in line}
        elif entry.endswith(".txt"):
            names[entry[: -len(".txt")]] = {line.strip() for line in open(path) if line.strip()}
    return names, ordinal_only


def mingw_names(lib_dir, dll):
    """Every function MinGW's import library for the DLL names, undecorated."""
    library = os.path.join(lib_dir, "lib%s.a" % os.path.splitext(dll)[0])
    if not os.path.exists(library):
        return set()
    triple = os.path.basename(os.path.dirname(lib_dir.rstrip("/")))
    output = subprocess.run([triple + "-nm", library], capture_output=True, text=True).stdout
    return {re.sub(r"@\d+$", "", m) for m in re.findall(r"^[0-9a-f]+ T _?([A-Za-z_][A-Za-z0-9_]*(?:@\d+)?)$",
                                                         output, re.M)}


def main(argv):
    if len(argv) < 5:
        print(__doc__)
        return 2
    names, ordinal_only = load_lists(argv[1])
    mingw_lib_dir = argv[2]
    argv = argv[:2] + argv[3:]
    if not names.get("kernel32.dll"):
        print("FAIL: no kernel32.dll list in %s" % argv[1])
        return 1
    may_be_missing = {}
    for entry in filter(None, argv[2].split(",")):
        dll, _, name = entry.rpartition("!")
        may_be_missing[name] = dll.lower()
    # A run-time look-up is a literal name; both lists give the names a DLL
    # may be asked for.
    known = {}
    # The C runtime is only ever imported; its short names ("open") are
    # also ordinary words in the programs' texts.
    for dll in (set(names) | set(ordinal_only)) - {"msvcrt.dll"}:
        universe = names.get(dll, set()) | ordinal_only.get(dll, set()) | mingw_names(mingw_lib_dir, dll)
        if len(universe) <= len(names.get(dll, set())):
            print("FAIL: MinGW's import library for %s was not read from %s" % (dll, mingw_lib_dir))
            return 1
        for name in universe:
            known.setdefault(name, set()).add(dll)
    for name, dll in may_be_missing.items():
        known.setdefault(name, set()).add(dll)

    failures = 0
    for path in argv[3:]:
        label = os.path.basename(path)
        try:
            machine, found, data = imports_of(path)
        except (ValueError, struct.error) as error:
            print("FAIL: %s: %s" % (label, error))
            failures += 1
            continue
        if machine != 0x14C:
            print("FAIL: %s is not an i386 binary (machine %#x)" % (label, machine))
            failures += 1
        checked = 0
        unchecked = {}
        imported = set()
        for dll, kind, ordinal, name in found:
            imported.add(name)
            if dll not in names:
                unchecked[dll] = unchecked.get(dll, 0) + 1
                continue
            checked += 1
            if name is None:
                print("FAIL: %s imports %s ordinal %d (%s): no list of 2000's ordinals" % (label, dll, ordinal, kind))
                failures += 1
            elif name in ordinal_only.get(dll, set()):
                print("FAIL: %s imports %s!%s by name (%s); Windows 2000 exports it only by ordinal" %
                      (label, dll, name, kind))
                failures += 1
            elif name not in names[dll]:
                print("FAIL: %s imports %s!%s (%s), which Windows 2000 SP4 does not export" % (label, dll, name, kind))
                failures += 1
        if not found:
            print("FAIL: %s: no imports were read" % label)
            failures += 1

        looked_up = set()
        for match in re.finditer(rb"(?<![\x21-\x7e])([A-Za-z_][A-Za-z0-9_]{3,})\0", data):
            name = match.group(1).decode()
            if name in known and name not in imported:
                looked_up.add(name)
        for name in sorted(looked_up):
            dlls = sorted(d for d in known[name] if d in names)
            if any(name in names[d] for d in dlls):
                continue
            if name in may_be_missing:
                dll = may_be_missing[name]
                where = "absent from Windows 2000 SP4's list" if dll in names else "no list for it"
                print("ok: %s looks up %s!%s at run time (%s) and copes without it" % (label, dll, name, where))
            else:
                print("FAIL: %s looks up %s at run time, which Windows 2000 SP4's %s lacks; "
                      "a function older systems may lack needs its fallback and its place on the list of look-ups" %
                      (label, name, " and ".join(dlls)))
                failures += 1

        summary = ", ".join("%d from %s" % (n, d) for d, n in sorted(unchecked.items())) or "none"
        print("%s: %d imports checked against Windows 2000 SP4, %d names looked up at run time; unchecked: %s" %
              (label, checked, len(looked_up), summary))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
