#include "common/errorreport.h"
#include "common/handles.h"
#include "common/product.h"
#include "common/prompt.h"
#include "common/text.h"

char errorText[kErrorTextSize];

bool composeReport(char* out, size_t capacity, const char* format, const char* tag, DWORD code) {
    if (code == 0) code = GetLastError();
    char* systemText = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char*>(&systemText), 0, nullptr);
    LocalMem owner(length ? systemText : nullptr);
    // The system's texts end with CR LF, which separates them from the rest;
    // without one, "(null)" stands in its place.
    return text::formatInto(out, capacity, format, tag ? tag : "(null)", static_cast<int>(code),
                            length ? systemText : "(null)");
}

void reportError(const char* tag, DWORD code) {
#ifdef ORLAN_UNINSTALL
    composeReport(errorText, kErrorTextSize, product::kUninstallReportFormat, tag, code);
#else
    composeReport(errorText, kErrorTextSize, product::kSetupReportFormat, tag, code);
#endif
}

void setErrorText(const char* fixed) { text::copyInto(errorText, kErrorTextSize, fixed); }

#ifdef ORLAN_SETUP
void showError(HWND owner, const char* message) {
    prompt::tell(owner, message ? message : errorText, product::kSetupBoxCaption, MB_SETFOREGROUND);
}
#endif
