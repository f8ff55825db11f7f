#include "setup/pages.h"

DLGPROC pageProcedure(Page page) {
    switch (page) {
    case Page::Welcome: return welcomePageProc;
    case Page::Licence: return licencePageProc;
    case Page::SetupType: return setupTypePageProc;
    case Page::Destination: return destinationPageProc;
    case Page::Options: return optionsPageProc;
    case Page::Summary: return summaryPageProc;
    case Page::Progress: return progressPageProc;
    case Page::Finish: return finishPageProc;
    case Page::Interrupted: return interruptedPageProc;
    case Page::End: break;
    }
    return nullptr;
}
