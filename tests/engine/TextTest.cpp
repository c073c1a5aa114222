#include "engine/Text.h"

#include <gtest/gtest.h>

namespace plimsett {
namespace {

const std::string replacement = "\xef\xbf\xbd";

TEST(Text, TellsWellFormedUtf8FromIllFormed) {
    for (const char* good : {"", "plain", "Bürobildschirm", "日本語", "🎬", "\xef\xbf\xbf"}) {
        EXPECT_TRUE(isValidUtf8(good)) << good;
        EXPECT_EQ(repairedUtf8(good), good);
    }
    // A stray continuation byte, a truncated sequence, an overlong form, an encoded surrogate and
    // a code point beyond U+10FFFF.
    for (const char* bad : {"\x80", "ab\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"}) {
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
        const std::string repaired = repairedUtf8(bad);
        EXPECT_TRUE(isValidUtf8(repaired));
        EXPECT_NE(repaired.find(replacement), std::string::npos);
    }
    EXPECT_EQ(repairedUtf8("a\xff"
                           "b"),
              "a" + replacement + "b");
}

TEST(Text, UpperCasesAsciiAndOtherScripts) {
    EXPECT_EQ(upperCased("abc-1f"), "ABC-1F");
    EXPECT_EQ(upperCased("straße é"), "STRASSE É");
    EXPECT_EQ(upperCased("\xff"
                         "a"),
              replacement + "A");
}

TEST(Text, ComposesCanonicallyEquivalentText) {
    EXPECT_EQ(nfc("e\xcc\x81"), "\xc3\xa9");
    EXPECT_EQ(nfc("\xc3\xa9"), "\xc3\xa9");
    EXPECT_EQ(nfc("ascii"), "ascii");
}

} // namespace
} // namespace plimsett
