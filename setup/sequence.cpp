#include "setup/sequence.h"
#include "resources/resource.h"

Step nextPage(Page current, Road road, INT_PTR result) {
    auto go = [road](Page next) { return Step{next, road, false}; };
    switch (current) {
    case Page::Welcome:
        return go(result == kResultNext ? Page::Licence : Page::Interrupted);
    case Page::Licence:
        // Shown first and again through Back on the setup-type page: both
        // times I agree leads to the setup type, anything else ends.
        return go(result == kResultAgree ? Page::SetupType : Page::Interrupted);
    case Page::SetupType:
        if (result == kResultDefault) return Step{Page::Summary, Road::Default, true};
        if (result == kResultCustom) return Step{Page::Destination, Road::Custom, false};
        if (result == kResultBack) return go(Page::Licence);
        return go(Page::Interrupted);
    case Page::Destination:
        if (result == kResultCancel) return go(Page::Interrupted);
        if (result == kResultBack) return go(Page::SetupType);
        return go(Page::Options);
    case Page::Options:
        if (result == kResultCancel) return go(Page::Interrupted);
        if (result == kResultBack) return go(Page::Destination);
        return go(Page::Summary);
    case Page::Summary:
        if (result == kResultCancel) return go(Page::Interrupted);
        if (result == kResultBack) return go(road == Road::Custom ? Page::Options : Page::SetupType);
        return go(Page::Progress);
    case Page::Progress:
        return go(result == kResultSucceeded ? Page::Finish : Page::Interrupted);
    case Page::Finish:
    case Page::Interrupted:
    case Page::End:
        break;
    }
    return go(Page::End);
}

int pageDialog(Page page) {
    switch (page) {
    case Page::Welcome: return IDD_WELCOME;
    case Page::Licence: return IDD_LICENCE;
    case Page::SetupType: return IDD_SETUP_TYPE;
    case Page::Destination: return IDD_DESTINATION;
    case Page::Options: return IDD_OPTIONS;
    case Page::Summary: return IDD_SUMMARY;
    case Page::Progress: return IDD_PROGRESS;
    case Page::Finish: return IDD_FINISH;
    case Page::Interrupted: return IDD_INTERRUPTED;
    case Page::End: break;
    }
    return 0;
}
