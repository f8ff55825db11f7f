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

TEST(PageSequence, SummaryBackDependsOnTheRoad) {
    EXPECT_EQ(Page::SetupType, nextPage(Page::Summary, Road::Default, kResultBack).next);
    EXPECT_EQ(Page::Options, nextPage(Page::Summary, Road::Custom, kResultBack).next);
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

TEST(PageSequence, BackOnSetupTypeShowsTheLicenceAgain) {
    auto shown = walk({kResultNext, kResultAgree, kResultBack, kResultDisagree});
    EXPECT_EQ((std::vector<Page>{P::Welcome, P::Licence, P::SetupType, P::Licence, P::Interrupted}), shown);
    EXPECT_EQ(Page::SetupType, nextPage(Page::Licence, Road::Undecided, kResultAgree).next);
}

TEST(PageSequence, QuittingAnywhereEndsAtTheInterruptedPage) {
    EXPECT_EQ(Page::Interrupted, nextPage(Page::Welcome, Road::Undecided, kResultCancel).next);
    EXPECT_EQ(Page::Interrupted, nextPage(Page::Licence, Road::Undecided, kResultDisagree).next);
    EXPECT_EQ(Page::Interrupted, nextPage(Page::SetupType, Road::Undecided, kResultCancel).next);
    EXPECT_EQ(Page::Interrupted, nextPage(Page::Destination, Road::Custom, kResultCancel).next);
    EXPECT_EQ(Page::Interrupted, nextPage(Page::Options, Road::Custom, kResultCancel).next);
    EXPECT_EQ(Page::Interrupted, nextPage(Page::Summary, Road::Default, kResultCancel).next);
    EXPECT_EQ(Page::Interrupted, nextPage(Page::Summary, Road::Custom, kResultCancel).next);
}

TEST(PageSequence, AnyOtherResultGoesOnWhereThePageSaysSo) {
    // Destination, Options and Summary treat every result but Cancel and Back as going on.
    EXPECT_EQ(Page::Options, nextPage(Page::Destination, Road::Custom, 2).next);
    EXPECT_EQ(Page::Summary, nextPage(Page::Options, Road::Custom, 0).next);
    EXPECT_EQ(Page::Progress, nextPage(Page::Summary, Road::Custom, kResultNext).next);
    // The others end.
    EXPECT_EQ(Page::Interrupted, nextPage(Page::Welcome, Road::Undecided, 2).next);
    EXPECT_EQ(Page::Interrupted, nextPage(Page::SetupType, Road::Undecided, kResultNext).next);
}

TEST(PageSequence, ProgressResultPicksTheClosingPage) {
    EXPECT_EQ(Page::Finish, nextPage(Page::Progress, Road::Default, kResultSucceeded).next);
    EXPECT_EQ(Page::Interrupted, nextPage(Page::Progress, Road::Default, kResultFailed).next);
    EXPECT_EQ(Page::Interrupted, nextPage(Page::Progress, Road::Default, kResultFinish).next);
    EXPECT_EQ(Page::End, nextPage(Page::Finish, Road::Default, kResultFinish).next);
    EXPECT_EQ(Page::End, nextPage(Page::Interrupted, Road::Default, kResultFinish).next);
}
}  // namespace
