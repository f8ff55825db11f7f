/* A look-alike of a system DLL, or a program, planted where a program might
 * pick it up. Loading or starting it leaves a mark "<file name>.mark" in the
 * folder named by ORLAN_PLANT_MARKS (or beside the plant) that reads
 * "<plant path> loaded by <program path>". The DLL then fails the load so
 * that no code ever runs against a DLL that exports nothing; the program
 * (built with ORLAN_PLANT_PROGRAM) also leaves "<file name>.parent", the
 * file name of the program that started it, and ends. */
#include <windows.h>
#include <tlhelp32.h>

static const char *fileName(const char *path) {
    const char *name = path;
    for (const char *p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    return name;
}

/* Writes the texts into "<plant file name><suffix>" in the marks folder. */
static void writeMark(const char *plant, const char *suffix, const char *const *texts) {
    char mark[3 * MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ORLAN_PLANT_MARKS", mark, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        lstrcpynA(mark, plant, MAX_PATH);
        mark[fileName(mark) - mark] = '\0';
    } else {
        lstrcatA(mark, "\\");
    }
    lstrcatA(mark, fileName(plant));
    lstrcatA(mark, suffix);
    HANDLE file = CreateFileA(mark, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    for (DWORD written = 0; *texts; ++texts) WriteFile(file, *texts, lstrlenA(*texts), &written, NULL);
    CloseHandle(file);
}

static void leaveMark(HMODULE self) {
    char plant[MAX_PATH], host[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, plant, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    length = GetModuleFileNameA(NULL, host, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) host[0] = '\0';
    const char *texts[] = {plant, " loaded by ", host, NULL};
    writeMark(plant, ".mark", texts);
}

#ifdef ORLAN_PLANT_PROGRAM
int WINAPI WinMain(HINSTANCE self, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)self;
    (void)previous;
    (void)commandLine;
    (void)show;
    leaveMark(NULL);
    /* Who started it: the program that asked, or a shell that it asked. */
    char plant[MAX_PATH], parent[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(NULL, plant, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry;
    DWORD parentId = 0;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId()) parentId = entry.th32ParentProcessID;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (parentId && entry.th32ProcessID == parentId) lstrcpynA(parent, fileName(entry.szExeFile), MAX_PATH);
    CloseHandle(snapshot);
    const char *texts[] = {parent, NULL};
    writeMark(plant, ".parent", texts);
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
