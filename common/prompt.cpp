#include "common/prompt.h"
#include "common/product.h"
#include "common/runlog.h"

namespace {
bool quiet = false;
}

namespace prompt {

void setUnattended(bool on) { quiet = on; }
bool unattended() { return quiet; }

bool retry(HWND owner, const char* text, int& asked) {
    ++asked;
    bool again;
    if (quiet) {
        again = asked <= kUnattendedRetries;
        if (again) Sleep(kRetryWaitMs);
    } else {
        again = MessageBoxA(owner, text, product::kBoxCaption, MB_OKCANCEL) == IDOK;
    }
    runlog::write("Asked: %s Answer: %s", text, again ? "try again" : "give up");
    return again;
}

bool yes(HWND owner, const char* text, const char* caption, UINT flags, bool unattendedAnswer) {
    bool answer = quiet ? unattendedAnswer : MessageBoxA(owner, text, caption, MB_YESNO | flags) == IDYES;
    runlog::write("Asked: %s Answer: %s", text, answer ? "Yes" : "No");
    return answer;
}

void tell(HWND owner, const char* text, const char* caption, UINT flags) {
    runlog::write("Message: %s", text);
    if (!quiet) MessageBoxA(owner, text, caption, MB_OK | flags);
}

}  // namespace prompt
