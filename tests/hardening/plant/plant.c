/* A look-alike of a system DLL, or a program, planted where a program might
 * pick it up. Loading or starting it leaves a mark "<file name>.mark" in the
 * folder named by ORLAN_PLANT_MARKS (or beside the plant) that reads
 * "<plant path> loaded by <program path>". The DLL then fails the load so
 * that no code ever runs against a DLL that exports nothing; the program
 * (built with ORLAN_PLANT_PROGRAM) just ends. */
#include <windows.h>

static const char *fileName(const char *path) {
    const char *name = path;
    for (const char *p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    return name;
}

static void leaveMark(HMODULE self) {
    char plant[MAX_PATH], host[MAX_PATH], mark[3 * MAX_PATH];
    DWORD length = GetModuleFileNameA(self, plant, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    length = GetModuleFileNameA(NULL, host, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) host[0] = '\0';
    length = GetEnvironmentVariableA("ORLAN_PLANT_MARKS", mark, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        lstrcpynA(mark, plant, MAX_PATH);
        mark[fileName(mark) - mark] = '\0';
    } else {
        lstrcatA(mark, "\\");
    }
    lstrcatA(mark, fileName(plant));
    lstrcatA(mark, ".mark");
    HANDLE file = CreateFileA(mark, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        static const char kBy[] = " loaded by ";
        DWORD written = 0;
        WriteFile(file, plant, lstrlenA(plant), &written, NULL);
        WriteFile(file, kBy, sizeof kBy - 1, &written, NULL);
        WriteFile(file, host, lstrlenA(host), &written, NULL);
        CloseHandle(file);
    }
}

#ifdef ORLAN_PLANT_PROGRAM
int WINAPI WinMain(HINSTANCE self, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)self;
    (void)previous;
    (void)commandLine;
    (void)show;
    leaveMark(NULL);
    return 0;
}
#else
/* What a DLL that imports the companion binds to; without it the loader
 * would refuse the look-alike before it could leave its mark. */
__declspec(dllexport) int companionReady(void) { return 0; }

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    leaveMark(self);
    return FALSE;
}
#endif
