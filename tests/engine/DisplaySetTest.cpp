#include "engine/DisplaySet.h"

#include <gtest/gtest.h>

namespace plimsett {
namespace {

DisplayInfo display(std::string uuid, Rect frame, bool builtIn = false,
                    std::string name = "Screen") {
    return DisplayInfo{std::move(uuid), std::move(name), builtIn, frame, frame};
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

} // namespace
} // namespace plimsett
