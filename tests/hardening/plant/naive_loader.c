/* What a careless program does: SetDllDirectoryA("") and then LoadLibraryA
 * of the bare name. The program's own folder stays first in the search, so
 * a DLL planted beside it is the one loaded. Exit code: how many of the
 * named DLLs could not be loaded. */
#include <windows.h>

int main(int argc, char **argv) {
    typedef BOOL(WINAPI * SetDllDirectoryFn)(LPCSTR);
    SetDllDirectoryFn setDllDirectory =
        (SetDllDirectoryFn)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDllDirectoryA");
    if (setDllDirectory) setDllDirectory("");
    int failed = 0;
    for (int i = 1; i < argc; ++i)
        if (!LoadLibraryA(argv[i])) ++failed;
    return failed;
}
