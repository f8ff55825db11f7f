// The page sequence as a function of (page, road, result).
#include <gtest/gtest.h>
#include <vector>
#include "setup/sequence.h"

namespace {
// Walks the sequence from Welcome with the given results; returns the pages shown.
std::vector<Page> walk(const std::vector<INT_PTR>& results, bool* defaultsApplied = nullptr) {
    std::vector<Page> shown;
    Page page = Page::Welcome;
    Road road = Road::Undecided;
    size_t i = 0;
    if (defaultsApplied) *defaultsApplied = false;
    while (page != Page::End && i <= results.size()) {
        shown.push_back(page);
        INT_PTR result = i < results.size() ? results[i] : kResultFinish;
        ++i;
        Step step = nextPage(page, road, result);
        if (step.applyDefaults && defaultsApplied) *defaultsApplied = true;
        page = step.next;
        road = step.road;
    }
    return shown;
}

using P = Page;

TEST(PageSequence, DefaultRoad) {
    bool defaults = false;
    auto shown = walk({kResultNext, kResultAgree, kResultDefault, kResultInstall, kResultSucceeded, kResultFinish},
                      &defaults);
    EXPECT_EQ((std::vector<Page>{P::Welcome, P::Licence, P::SetupType, P::Summary, P::Progress, P::Finish}), shown);
    EXPECT_TRUE(defaults);
}

TEST(PageSequence, CustomRoadWithBackAtEveryPage) {
    auto shown = walk({kResultNext, kResultAgree, kResultCustom, kResultBack, kResultCustom, kResultNext, kResultBack,
                       kResultNext, kResultNext, kResultBack, kResultNext, kResultInstall, kResultSucceeded,
                       kResultFinish});
    EXPECT_EQ((std::vector<Page>{P::Welcome, P::Licence, P::SetupType, P::Destination, P::SetupType, P::Destination,
                                 P::Options, P::Destination, P::Options, P::Summary, P::Options, P::Summary,
                                 P::Progress, P::Finish}),
              shown);
}

TEST(PageSequence, DefaultAfterCustomResetsTheChoices) {
    Step custom = nextPage(Page::SetupType, Road::Undecided, kResultCustom);
    EXPECT_FALSE(custom.applyDefaults);
    EXPECT_EQ(Road::Custom, custom.road);
    Step back = nextPage(Page::Options, Road::Custom, kResultBack);
    Step def = nextPage(Page::SetupType, back.road, kResultDefault);
    EXPECT_TRUE(def.applyDefaults);
    EXPECT_EQ(Road::Default, def.road);
    EXPECT_EQ(Page::Summary, def.next);
    EXPECT_EQ(Page::SetupType, nextPage(Page::Summary, def.road, kResultBack).next);
}

TEST(PageSequence, EachStepGoesWhereThePageTheRoadAndTheResultSay) {
    const Road U = Road::Undecided, D = Road::Default, C = Road::Custom;
    struct Case { Page from; Road road; INT_PTR result; Page next; };
    const Case cases[] = {
        // Back on Setup type shows the licence again; back from the Summary
        // goes to the road's last choosing page.
        {P::SetupType, U, kResultBack, P::Licence},
        {P::Summary, D, kResultBack, P::SetupType}, {P::Summary, C, kResultBack, P::Options},
        // Quitting anywhere ends at the Interrupted page.
        {P::Welcome, U, kResultCancel, P::Interrupted}, {P::Licence, U, kResultDisagree, P::Interrupted},
        {P::SetupType, U, kResultCancel, P::Interrupted}, {P::Destination, C, kResultCancel, P::Interrupted},
        {P::Options, C, kResultCancel, P::Interrupted}, {P::Summary, D, kResultCancel, P::Interrupted},
        {P::Summary, C, kResultCancel, P::Interrupted},
        // Destination, Options and Summary go on at any result but Cancel and
        // Back; the others end.
        {P::Destination, C, 2, P::Options}, {P::Options, C, 0, P::Summary}, {P::Summary, C, kResultNext, P::Progress},
        {P::Welcome, U, 2, P::Interrupted}, {P::SetupType, U, kResultNext, P::Interrupted},
        // Only a run that succeeded reaches the Finish page.
        {P::Progress, D, kResultSucceeded, P::Finish}, {P::Progress, D, kResultFailed, P::Interrupted},
        {P::Progress, D, kResultFinish, P::Interrupted}, {P::Finish, D, kResultFinish, P::End},
        {P::Interrupted, D, kResultFinish, P::End},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.next, nextPage(c.from, c.road, c.result).next)
            << "from page " << (int)c.from << ", road " << (int)c.road << ", result " << c.result;
}
}  // namespace
