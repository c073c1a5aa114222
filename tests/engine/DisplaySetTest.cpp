#include "engine/DisplaySet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace plimsett {
namespace {

DisplayInfo display(std::string uuid, Rect frame, bool builtIn = false,
                    std::string name = "Screen") {
    return DisplayInfo{std::move(uuid), std::move(name), builtIn, frame, frame};
}

std::vector<std::string> uuids(const DisplaySet& set) {
    std::vector<std::string> out;
    for (const DisplayInfo& d : set.displays) {
        out.push_back(d.uuid);
    }
    return out;
}

TEST(DisplaySet, WorkedExamplesOfTheIdentifier) {
    EXPECT_EQ(DisplaySet::identifier({}), "e3b0c44298fc1c14");
    const DisplayInfo a = display("abc-1", {0, 0, 1512, 982});
    const DisplayInfo b = display("def-2", {1512, -457.6, 2560, 1440});
    EXPECT_EQ(a.fingerprint(), "ABC-1|1512x982|0,0");
    EXPECT_EQ(b.fingerprint(), "DEF-2|2560x1440|1512,-458");
    EXPECT_EQ(DisplaySet::identifier({a}), "394057d02cd21416");
    EXPECT_EQ(DisplaySet::identifier({a, b}), "bc12b68aa5c596bf");
    EXPECT_EQ(DisplaySet::identifier({b, a}), "bc12b68aa5c596bf");
}

TEST(DisplaySet, EmptySetHasTheHashOfNothingAndAnEmptyName) {
    const DisplaySet empty;
    EXPECT_TRUE(empty.displays.empty());
    EXPECT_EQ(empty.id, "e3b0c44298fc1c14");
    EXPECT_EQ(DisplaySet(std::vector<DisplayInfo>{}).id, "e3b0c44298fc1c14");
    EXPECT_EQ(empty.name("Built-in"), "");
}

TEST(DisplaySet, CanonicalOrderIsBuiltInThenLeftToRightThenTopToBottomThenUuid) {
    const DisplayInfo builtIn = display("zz", {3000, 0, 1512, 982}, true);
    const DisplayInfo left = display("b", {-1920, 0, 1920, 1080});
    const DisplayInfo upper = display("c", {0, -1440, 2560, 1440});
    const DisplayInfo lower = display("a", {0, 982, 2560, 1440});
    const DisplayInfo twinB = display("y", {5000, 0, 800, 600});
    const DisplayInfo twinA = display("x", {5000, 0, 800, 600});
    const std::vector<std::string> expected{"zz", "b", "c", "a", "x", "y"};

    const DisplaySet forward({builtIn, left, upper, lower, twinB, twinA});
    const DisplaySet backward({twinA, twinB, lower, upper, left, builtIn});
    EXPECT_EQ(uuids(forward), expected);
    EXPECT_EQ(uuids(backward), expected);
    EXPECT_EQ(forward, backward);
}

TEST(DisplaySet, OrderUsesTheMinimumCornerOfFramesWithNegativeSize) {
    // Width -2000 from x 1000 spans -1000 to 1000, so it starts left of the display at x 0.
    const DisplaySet set({display("a", {0, 0, 100, 100}), display("b", {1000, 0, -2000, 100})});
    EXPECT_EQ(uuids(set), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(set.displays[0].fingerprint(), "B|2000x100|-1000,0");
}

TEST(DisplaySet, NameUsesBuiltInNameForEveryBuiltInDisplayInCanonicalOrder) {
    const DisplaySet set({display("ext", {1512, 0, 2560, 1440}, false, "Office Monitor"),
                          display("panel", {0, 0, 1512, 982}, true, "Color LCD")});
    EXPECT_EQ(set.name("Built-in"), "Built-in + Office Monitor");

    const DisplaySet twoPanels({display("p2", {1512, 0, 1512, 982}, true, "Second"),
                                display("p1", {0, 0, 1512, 982}, true, "First"),
                                display("e", {-100, 0, 100, 100}, false, "Side")});
    EXPECT_EQ(uuids(twoPanels), (std::vector<std::string>{"p1", "p2", "e"}));
    EXPECT_EQ(twoPanels.name("Intégré"), "Intégré + Intégré + Side");
}

TEST(DisplaySet, IdentifierFollowsUuidAndRoundedFrameOnly) {
    const DisplayInfo base{"abc-1", "Studio", false, {0, 0, 1512, 982}, {0, 25, 1512, 900}};
    const std::string id = DisplaySet({base}).id;

    DisplayInfo renamed = base;
    renamed.name = "Other name";
    renamed.isBuiltIn = true;
    renamed.visibleFrame = {0, 0, 1000, 500};
    EXPECT_EQ(DisplaySet({renamed}).id, id);

    DisplayInfo upperCase = base;
    upperCase.uuid = "ABC-1";
    EXPECT_EQ(DisplaySet({upperCase}).id, id);

    DisplayInfo resized = base;
    resized.frame.width = 1800;
    EXPECT_NE(DisplaySet({resized}).id, id);

    DisplayInfo moved = base;
    moved.frame.y = -1;
    EXPECT_NE(DisplaySet({moved}).id, id);

    DisplayInfo other = base;
    other.uuid = "abc-2";
    EXPECT_NE(DisplaySet({other}).id, id);
}

TEST(DisplaySet, CoordinatesRoundHalvesAwayFromZero) {
    const auto print = [](double x) { return display("u", {x, 0, 10, 10}).fingerprint(); };
    EXPECT_EQ(print(0.5), "U|10x10|1,0");
    EXPECT_EQ(print(-0.5), "U|10x10|-1,0");
    EXPECT_EQ(print(0.4), "U|10x10|0,0");
    EXPECT_EQ(print(-0.4), "U|10x10|0,0");
    EXPECT_EQ(print(1511.5), "U|10x10|1512,0");
    EXPECT_EQ(display("u", {0, 0, 1511.5, 981.49}).fingerprint(), "U|1512x981|0,0");

    const auto id = [](double x) { return DisplaySet::identifier({display("u", {x, 0, 10, 10})}); };
    EXPECT_EQ(id(0.4), id(-0.4));
    EXPECT_EQ(id(0.4), id(0));
    EXPECT_NE(id(0.5), id(0.4));
    EXPECT_NE(id(-0.5), id(-0.4));
}

TEST(DisplaySet, DisplaysWithTheSameFingerprintEachCount) {
    const DisplayInfo a = display("same", {0, 0, 800, 600});
    const std::string one = DisplaySet::identifier({a});
    const std::string two = DisplaySet::identifier({a, a});
    EXPECT_NE(one, two);
    EXPECT_EQ(DisplaySet({a, a}).displays.size(), 2u);
}

TEST(DisplaySet, BrokenCoordinatesStillGiveAStableIdentifier) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    const std::vector<Rect> frames{{nan, nan, nan, nan},
                                   {inf, -inf, inf, -inf},
                                   {1e300, -1e300, 1e19, 1e19},
                                   {-9.3e18, 9.3e18, 0, 0},
                                   {inf, 0, -inf, 10},
                                   {0, nan, 10, -inf},
                                   {std::numeric_limits<double>::denorm_min(), -0.0, 0, 0}};
    for (const Rect& frame : frames) {
        const std::vector<DisplayInfo> list{display("broken", frame), display("ok", {0, 0, 1, 1}),
                                            display("broken2", frame)};
        const DisplaySet set(list);
        EXPECT_EQ(set.id.size(), 16u);
        EXPECT_EQ(set.id, DisplaySet::identifier({list[2], list[1], list[0]}));
        EXPECT_EQ(uuids(set), uuids(DisplaySet({list[1], list[2], list[0]})));
    }
    EXPECT_EQ(display("n", {nan, 0, 1, 1}).fingerprint(), "N|1x1|0,0");
    EXPECT_EQ(display("h", {1e300, -1e300, 1, 1}).fingerprint(),
              "H|1x1|9223372036854775807,-9223372036854775808");
}

} // namespace
} // namespace plimsett
