#include "engine/WindowMatcher.h"

#include <gtest/gtest.h>

#include <utility>

namespace plimsett {
namespace {

// Any type with a bundle identifier, a title and an index will do as a live window.
struct Window {
    std::string bundleID;
    std::string title;
    int index;
    std::string tag;
};

const std::string app = "com.example.app";

SavedWindow saved(std::string title, std::int64_t index, std::string tag,
                  const std::string& bundleID = app) {
    // The tag travels in appName, which the matcher does not read.
    return SavedWindow{bundleID, std::move(tag), std::move(title), index, Rect{}, false, false};
}

using Tags = std::vector<std::pair<std::string, std::string>>;

Tags match(const std::vector<Window>& live, const std::vector<SavedWindow>& stored) {
    Tags tags;
    for (const auto& pair : WindowMatcher::match(live, stored)) {
        tags.emplace_back(pair.live.tag, pair.saved.appName);
    }
    return tags;
}

TEST(WindowMatcherTest, WorkedExample) {
    const std::vector<Window> live{
        {app, "Untitled", 0, "L0"}, {app, "Untitled", 1, "L1"}, {app, "", 2, "L2"}};
    const std::vector<SavedWindow> stored{saved("Report", 0, "S0"), saved("Untitled", 1, "S1"),
                                          saved("Untitled", 3, "S3")};
    EXPECT_EQ(match(live, stored), (Tags{{"L0", "S1"}, {"L1", "S3"}, {"L2", "S0"}}));
}

TEST(WindowMatcherTest, NothingToPairGivesNothing) {
    EXPECT_TRUE(match({}, {saved("Doc", 0, "S0")}).empty());
    EXPECT_TRUE(match({{app, "Doc", 0, "L0"}}, {}).empty());
}

TEST(WindowMatcherTest, DuplicateTitlesGoToTheClosestIndexThenTheSmallerThenTheFirst) {
    EXPECT_EQ(match({{app, "Doc", 2, "L2"}}, {saved("Doc", 3, "S3"), saved("Doc", 1, "S1")}),
              (Tags{{"L2", "S1"}}));
    EXPECT_EQ(match({{app, "Doc", 5, "L5"}}, {saved("Doc", 1, "S1"), saved("Doc", 4, "S4")}),
              (Tags{{"L5", "S4"}}));
    EXPECT_EQ(match({{app, "Doc", 0, "L0"}}, {saved("Doc", 1, "first"), saved("Doc", 1, "second")}),
              (Tags{{"L0", "first"}}));
    // Each saved window is taken once; the rest have nothing left.
    EXPECT_EQ(match({{app, "Doc", 0, "L0"}, {app, "Doc", 1, "L1"}}, {saved("Doc", 7, "S7")}),
              (Tags{{"L0", "S7"}}));
}

TEST(WindowMatcherTest, EmptyTitlesArePairedOnlyByPosition) {
    // By title the second live window would take the untitled saved one; by position it does not.
    EXPECT_EQ(match({{app, "", 0, "L0"}, {app, "", 1, "L1"}},
                    {saved("Inbox", 0, "S0"), saved("", 5, "S5")}),
              (Tags{{"L0", "S0"}, {"L1", "S5"}}));
}

TEST(WindowMatcherTest, TitlePairsComeFirstAndTheHighestLeftoversStayAlone) {
    const std::vector<Window> live{{app, "A", 0, "L0"}, {app, "B", 1, "L1"}, {app, "C", 2, "L2"}};
    EXPECT_EQ(match(live, {saved("C", 0, "S0"), saved("X", 1, "S1")}),
              (Tags{{"L2", "S0"}, {"L0", "S1"}}));
    EXPECT_EQ(match({{app, "X", 0, "L0"}},
                    {saved("B", 2, "S2"), saved("A", 1, "S1"), saved("C", 3, "S3")}),
              (Tags{{"L0", "S1"}}));
}

TEST(WindowMatcherTest, TitlesCompareExactlyButCanonicallyEquivalentFormsAreEqual) {
    const std::string composed = "Caf\xC3\xA9";    // é as one code point
    const std::string decomposed = "Cafe\xCC\x81"; // e and a combining acute accent
    // A title pair would take S3; a positional one S0.
    EXPECT_EQ(
        match({{app, composed, 0, "L0"}}, {saved("Other", 0, "S0"), saved(decomposed, 3, "S3")}),
        (Tags{{"L0", "S3"}}));
    EXPECT_EQ(match({{app, "doc", 0, "L0"}}, {saved("Other", 0, "S0"), saved("Doc", 3, "S3")}),
              (Tags{{"L0", "S0"}}));
    EXPECT_EQ(match({{app, "Doc", 0, "L0"}}, {saved("Other", 0, "S0"), saved("Doc ", 3, "S3")}),
              (Tags{{"L0", "S0"}}));
    // Bundle identifiers too.
    EXPECT_EQ(
        match({{"org." + composed, "A", 0, "L0"}}, {saved("A", 0, "S0", "org." + decomposed)}),
        (Tags{{"L0", "S0"}}));
}

TEST(WindowMatcherTest, WindowsOfDifferentApplicationsAreNeverPaired) {
    EXPECT_TRUE(
        match({{"com.example.one", "Doc", 0, "L0"}}, {saved("Doc", 0, "S0", "com.example.two")})
            .empty());
}

TEST(WindowMatcherTest, ApplicationsComeInIdentifierOrderAndWindowsInIndexOrder) {
    const std::vector<Window> live{
        {"com.z", "", 1, "z1"}, {"com.a", "", 0, "a0"},  {"com.z", "", 0, "z0"},
        {"com.m", "", 0, "m0"}, {"com.a", "", 0, "a0'"}, {"com.q", "", 0, "q0"},
    };
    const std::vector<SavedWindow> stored{
        saved("", 0, "m0", "com.m"), saved("", 1, "z1", "com.z"), saved("", 0, "z0", "com.z"),
        saved("", 1, "a1", "com.a"), saved("", 0, "a0", "com.a"),
    };
    // Equal indexes keep their input order; com.q has nothing saved.
    const Tags expected{{"a0", "a0"}, {"a0'", "a1"}, {"m0", "m0"}, {"z0", "z0"}, {"z1", "z1"}};
    EXPECT_EQ(match(live, stored), expected);
    EXPECT_EQ(match({live.rbegin(), live.rend()}, {stored.rbegin(), stored.rend()}),
              (Tags{{"a0'", "a0"}, {"a0", "a1"}, {"m0", "m0"}, {"z0", "z0"}, {"z1", "z1"}}));
}

TEST(WindowMatcherTest, IndexesFarApartDoNotOverflow) {
    const std::int64_t low = std::numeric_limits<std::int64_t>::min();
    const std::int64_t high = std::numeric_limits<std::int64_t>::max();
    struct Wide {
        std::string bundleID;
        std::string title;
        std::int64_t index;
    };
    const auto pairs = WindowMatcher::match(
        std::vector<Wide>{{app, "Doc", high}},
        std::vector<SavedWindow>{saved("Doc", low, "far"), saved("Doc", 0, "near")});
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].saved.appName, "near");
}

} // namespace
} // namespace plimsett
