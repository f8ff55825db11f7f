// The order of the wizard's pages, as a function of the page just shown,
// the road taken and the page's result.
#pragma once
#include <windows.h>

enum class Page { Welcome, Licence, SetupType, Destination, Options, Summary, Progress, Finish, Interrupted, End };
enum class Road { Undecided, Default, Custom };

// Page results: the identifiers of the buttons that end the pages.
enum PageResult : INT_PTR {
    kResultFailed = 0,
    kResultSucceeded = 1,
    kResultNext = 1001,
    kResultCancel = 1002,
    kResultFinish = 1005,
    kResultAgree = 1006,
    kResultDisagree = 1007,
    kResultDefault = 1009,
    kResultCustom = 1010,
    kResultBack = 1011,
    kResultInstall = 1012,
};

struct Step {
    Page next;
    Road road;
    bool applyDefaults;  // the Default type resets folder and options
};

Step nextPage(Page current, Road road, INT_PTR result);

// The dialog resource that shows a page (0 for End).
int pageDialog(Page page);
