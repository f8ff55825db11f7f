// Stand-in for the product's Word add-in: a self-registering in-process COM
// server. It registers its class, its ProgID and the Word add-in entry that
// makes Word load it, and unregisters exactly those. It hands out no class
// object; the real add-in's behaviour lies outside this stand-in.
#include <windows.h>
#include <objbase.h>
#include <olectl.h>

namespace {
const char kClsid[] = "{421D155A-6894-4AB1-98CE-072B22976797}";
const char kClassKey[] = "CLSID\\{421D155A-6894-4AB1-98CE-072B22976797}";
const char kServerKey[] = "CLSID\\{421D155A-6894-4AB1-98CE-072B22976797}\\InprocServer32";
const char kProgIdKeyOfClass[] = "CLSID\\{421D155A-6894-4AB1-98CE-072B22976797}\\ProgID";
const char kProgId[] = "OrlanPdfScribe.WordAddin";
const char kProgIdClsidKey[] = "OrlanPdfScribe.WordAddin\\CLSID";
const char kWordAddinKey[] = "Software\\Microsoft\\Office\\Word\\Addins\\OrlanPdfScribe.WordAddin";
const char kFriendlyName[] = "Orlan PDF Scribe";
const char kDescription[] = "Saves Word documents as PDF files through Orlan PDF Printer";

HINSTANCE module;

LONG setText(HKEY root, const char* subKey, const char* name, const char* value) {
    HKEY key;
    LONG status = RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                                  nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value) + 1);
    RegCloseKey(key);
    return status;
}

LONG setNumber(HKEY root, const char* subKey, const char* name, DWORD value) {
    HKEY key;
    LONG status = RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                                  nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    return status;
}

// Deletes a key with everything below it; a missing key is already gone.
LONG deleteTree(HKEY root, const char* subKey) {
    HKEY key;
    LONG status = RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, &key);
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    char name[256];
    DWORD length = sizeof name;
    while (status == ERROR_SUCCESS &&
           RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        status = deleteTree(key, name);
        length = sizeof name;
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? RegDeleteKeyA(root, subKey) : status;
}

HRESULT result(LONG status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }
}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT __stdcall DllRegisterServer() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
    LONG status = setText(HKEY_CLASSES_ROOT, kClassKey, nullptr, kFriendlyName);
    if (status == ERROR_SUCCESS) status = setText(HKEY_CLASSES_ROOT, kServerKey, nullptr, path);
    if (status == ERROR_SUCCESS) status = setText(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel", "Apartment");
    if (status == ERROR_SUCCESS) status = setText(HKEY_CLASSES_ROOT, kProgIdKeyOfClass, nullptr, kProgId);
    if (status == ERROR_SUCCESS) status = setText(HKEY_CLASSES_ROOT, kProgId, nullptr, kFriendlyName);
    if (status == ERROR_SUCCESS) status = setText(HKEY_CLASSES_ROOT, kProgIdClsidKey, nullptr, kClsid);
    if (status == ERROR_SUCCESS) status = setText(HKEY_CURRENT_USER, kWordAddinKey, "FriendlyName", kFriendlyName);
    if (status == ERROR_SUCCESS) status = setText(HKEY_CURRENT_USER, kWordAddinKey, "Description", kDescription);
    // 3: load at Word's start, and loaded now.
    if (status == ERROR_SUCCESS) status = setNumber(HKEY_CURRENT_USER, kWordAddinKey, "LoadBehavior", 3);
    return result(status);
}

extern "C" HRESULT __stdcall DllUnregisterServer() {
    LONG status = deleteTree(HKEY_CURRENT_USER, kWordAddinKey);
    LONG next = deleteTree(HKEY_CLASSES_ROOT, kProgId);
    if (status == ERROR_SUCCESS) status = next;
    next = deleteTree(HKEY_CLASSES_ROOT, kClassKey);
    if (status == ERROR_SUCCESS) status = next;
    return result(status);
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID, void** object) {
    if (object) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT __stdcall DllCanUnloadNow() { return S_OK; }
