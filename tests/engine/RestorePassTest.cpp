#include "engine/RestorePass.h"
#include "tests/support/FakeDisplayProvider.h"
#include "tests/support/FakeWindowSystem.h"

#include <gtest/gtest.h>

namespace plimsett::testing {
namespace {

// Two editor windows, each saved somewhere else on the one display: a pass of two moves.
class RestorePassTest : public ::testing::Test {
protected:
    RestorePlan plan() {
        const std::vector<LiveWindow> live = windows.windows();
        std::vector<SavedWindow> saved;
        for (const LiveWindow& window : live) {
            saved.push_back(window.savedWindow());
            saved.back().frame.x += 300;
        }
        return RestorePlan(live, saved, {FakeDisplayProvider::display("uuid", {0, 0, 1440, 900})},
                           /*rescueStranded=*/false);
    }

    void SetUp() override {
        windows.addWindow("com.example.editor", "Report", Rect{100, 100, 600, 400});
        windows.addWindow("com.example.editor", "Notes", Rect{200, 300, 600, 400});
    }

    FakeWindowSystem windows;
};

TEST_F(RestorePassTest, AnsweredAfterADisplayChangeItStillHandsOnItsCountsButNotItsFollowUp) {
    EraCounter eras;
    std::vector<RestoreResult> asked;
    int followUps = 0;
    const RestorePass pass(
        plan(), eras.current(), [&](const RestoreResult& counts) { asked.push_back(counts); },
        [&](const RestoreResult&) { ++followUps; });
    std::vector<bool> late;
    windows.holdAnswers();
    pass.send(windows, [&](const RestorePass& answered, const RestoreResult& counts, bool isLate) {
        late.push_back(isLate);
        answered.finish(counts, eras);
    });
    EXPECT_TRUE(late.empty());
    eras.beginNew();
    windows.releaseAnswers();

    EXPECT_EQ(late, std::vector{true});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], (RestoreResult{2, 0, 0, 0}));
    EXPECT_EQ(followUps, 0);
}

TEST_F(RestorePassTest, AMoveTheWindowSystemLeftUnansweredFailed) {
    const RestorePlan twoMoves = plan();
    ASSERT_EQ(twoMoves.moves().size(), 2u);
    EXPECT_EQ(twoMoves.answered({true}), (RestoreResult{1, 0, 0, 1}));
    EXPECT_EQ(twoMoves.answered({}), (RestoreResult{0, 0, 0, 2}));
}

} // namespace
} // namespace plimsett::testing
