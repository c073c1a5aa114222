#include "engine/RestorePlan.h"

#include <gtest/gtest.h>

#include <limits>

namespace plimsett {
namespace {

constexpr Rect laptop{0, 25, 1440, 875};
constexpr Rect studio{1440, 25, 2560, 1415};

std::optional<Rect> fit(const Rect& frame, const std::vector<Rect>& screens) {
    return RestorePlan::fittedFrame(frame, screens);
}

TEST(FittedFrameTest, AFrameInsideAScreenIsKeptAndOneStickingOutIsPushedIn) {
    EXPECT_EQ(fit({200, 100, 400, 300}, {laptop}), (Rect{200, 100, 400, 300}));
    EXPECT_EQ(fit({1300, 100, 400, 300}, {laptop}), (Rect{1040, 100, 400, 300}));
    EXPECT_EQ(fit({-50, 0, 2000, 1200}, {laptop}), laptop);
    // Touching edges still count as inside.
    EXPECT_EQ(fit(laptop, {laptop}), laptop);
    EXPECT_EQ(fit({1040, 500, 400, 400}, {laptop}), (Rect{1040, 500, 400, 400}));
    // Too tall only: the height shrinks, the width stays.
    EXPECT_EQ(fit({100, 100, 400, 2000}, {laptop}), (Rect{100, 25, 400, 875}));
}

TEST(FittedFrameTest, TheScreenOverlappedMostWinsAndTheFirstOnATie) {
    // 140 points on the laptop, 260 on the studio display.
    EXPECT_EQ(fit({1300, 100, 400, 300}, {laptop, studio}), (Rect{1440, 100, 400, 300}));
    // 200 points on each.
    EXPECT_EQ(fit({1240, 100, 400, 300}, {laptop, studio}), (Rect{1040, 100, 400, 300}));
    EXPECT_EQ(fit({1240, 100, 400, 300}, {studio, laptop}), (Rect{1440, 100, 400, 300}));
    // Contained in the second screen: unchanged, whatever comes first.
    EXPECT_EQ(fit({2000, 900, 500, 400}, {laptop, studio}), (Rect{2000, 900, 500, 400}));
}

TEST(FittedFrameTest, AFrameOffEveryScreenGoesToTheNearestAndTheFirstOnATie) {
    EXPECT_EQ(fit({5000, 100, 400, 300}, {laptop, studio}), (Rect{3600, 100, 400, 300}));
    EXPECT_EQ(fit({-3000, -2000, 400, 300}, {laptop, studio}), (Rect{0, 25, 400, 300}));
    // Merely touching a screen is no overlap.
    EXPECT_EQ(fit({1440, 100, 400, 300}, {laptop}), (Rect{1040, 100, 400, 300}));

    const Rect left{0, 0, 100, 100};
    const Rect right{200, 0, 100, 100};
    const Rect between{125, 500, 50, 50}; // as far from both centres
    EXPECT_EQ(fit(between, {left, right}), (Rect{50, 50, 50, 50}));
    EXPECT_EQ(fit(between, {right, left}), (Rect{200, 50, 50, 50}));
}

TEST(FittedFrameTest, NegativeSizesAreStandardised) {
    EXPECT_EQ(fit({1700, 400, -400, -300}, {laptop}), (Rect{1040, 100, 400, 300}));
    EXPECT_EQ(fit({200, 100, 400, 300}, {Rect{1440, 900, -1440, -875}}),
              (Rect{200, 100, 400, 300}));
}

TEST(FittedFrameTest, NothingFitsWithoutAScreenOfPositiveSizeOrWithAnUnusableFrame) {
    EXPECT_FALSE(fit({0, 0, 10, 10}, {}));
    EXPECT_FALSE(fit({0, 0, 10, 10}, {Rect{0, 0, 0, 900}, Rect{0, 0, 1440, 0}}));
    // A screen without size is ignored, not chosen.
    EXPECT_EQ(fit({5000, 100, 400, 300}, {Rect{5000, 100, 0, 0}, laptop}),
              (Rect{1040, 100, 400, 300}));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(fit({nan, 0, 10, 10}, {laptop}));
    EXPECT_FALSE(fit({0, 0, std::numeric_limits<double>::infinity(), 10}, {laptop}));
}

} // namespace
} // namespace plimsett
