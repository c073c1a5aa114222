#include "platform/x11/DockStrut.h"

#include <gtest/gtest.h>

#include <array>

namespace plimsett {
namespace {

// Two 1024 x 768 displays side by side on a 2048 x 768 screen.
const Rect leftDisplay{0, 0, 1024, 768};
const Rect rightDisplay{1024, 0, 1024, 768};
constexpr double screenWidth = 2048;
constexpr double screenHeight = 768;

DockStrut partial(std::array<std::uint32_t, 12> values) {
    return *DockStrut::fromPartial(values);
}

TEST(X11DockStrut, APanelReservesSpaceOnlyOnTheDisplayItIsOn) {
    // A 30-pixel panel along the top of the right display.
    const DockStrut top = partial({0, 0, 30, 0, 0, 0, 0, 0, 1024, 2047, 0, 0});
    EXPECT_EQ(top.appliedTo(rightDisplay, screenWidth, screenHeight), (Rect{1024, 30, 1024, 738}));
    EXPECT_EQ(top.appliedTo(leftDisplay, screenWidth, screenHeight), leftDisplay);

    // A 40-pixel panel along the bottom of the left display.
    const DockStrut bottom = partial({0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0, 1023});
    EXPECT_EQ(bottom.appliedTo(leftDisplay, screenWidth, screenHeight), (Rect{0, 0, 1024, 728}));
    EXPECT_EQ(bottom.appliedTo(rightDisplay, screenWidth, screenHeight), rightDisplay);

    // A 60-pixel dock on the right edge of the screen.
    const DockStrut right = partial({0, 60, 0, 0, 0, 0, 0, 767, 0, 0, 0, 0});
    EXPECT_EQ(right.appliedTo(rightDisplay, screenWidth, screenHeight), (Rect{1024, 0, 964, 768}));
    EXPECT_EQ(right.appliedTo(leftDisplay, screenWidth, screenHeight), leftDisplay);
}

TEST(X11DockStrut, RangeEndsAreInclusive) {
    // Ending on the last column of the left display does not reach the right display...
    const DockStrut endsLeft = partial({0, 0, 25, 0, 0, 0, 0, 0, 0, 1023, 0, 0});
    EXPECT_EQ(endsLeft.appliedTo(rightDisplay, screenWidth, screenHeight), rightDisplay);
    EXPECT_EQ(endsLeft.appliedTo(leftDisplay, screenWidth, screenHeight), (Rect{0, 25, 1024, 743}));
    // ...one column further does.
    const DockStrut reachesRight = partial({0, 0, 25, 0, 0, 0, 0, 0, 0, 1024, 0, 0});
    EXPECT_EQ(reachesRight.appliedTo(rightDisplay, screenWidth, screenHeight),
              (Rect{1024, 25, 1024, 743}));
}

TEST(X11DockStrut, TheOlderStrutCoversAWholeEdge) {
    const std::array<std::uint32_t, 4> values{50, 0, 0, 0};
    const auto strut = DockStrut::fromStrut(values);
    ASSERT_TRUE(strut);
    // The band along the screen's left edge lies on the left display only.
    EXPECT_EQ(strut->appliedTo(leftDisplay, screenWidth, screenHeight), (Rect{50, 0, 974, 768}));
    EXPECT_EQ(strut->appliedTo(rightDisplay, screenWidth, screenHeight), rightDisplay);
}

TEST(X11DockStrut, OnlyTheRowsItCoversOfStackedDisplays) {
    // Two displays stacked; a left panel covering the upper one's rows.
    const Rect upper{0, 0, 1024, 768};
    const Rect lower{0, 768, 1024, 768};
    const DockStrut strut = partial({48, 0, 0, 0, 0, 767, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(strut.appliedTo(upper, 1024, 1536), (Rect{48, 0, 976, 768}));
    EXPECT_EQ(strut.appliedTo(lower, 1024, 1536), lower);
}

TEST(X11DockStrut, ABandThatWouldSwallowADisplayIsIgnoredForIt) {
    // Wider than the whole left display: it leaves the left display alone and pushes the right
    // display's left side in.
    const DockStrut wide = partial({1100, 0, 0, 0, 0, 767, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(wide.appliedTo(leftDisplay, screenWidth, screenHeight), leftDisplay);
    EXPECT_EQ(wide.appliedTo(rightDisplay, screenWidth, screenHeight), (Rect{1100, 0, 948, 768}));
}

TEST(X11DockStrut, TooFewValuesAreNoStrut) {
    const std::array<std::uint32_t, 11> eleven{};
    const std::array<std::uint32_t, 3> three{};
    EXPECT_FALSE(DockStrut::fromPartial(eleven));
    EXPECT_FALSE(DockStrut::fromStrut(three));
}

} // namespace
} // namespace plimsett
