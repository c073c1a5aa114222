#include "platform/x11/Edid.h"

#include "tests/x11/support/EdidBuilder.h"

#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::makeEdid;

TEST(X11Edid, ReadsManufacturerProductSerialAndTextDescriptors) {
    const auto edid = Edid::parse(makeEdid("DEL", 41073, 808469068, "DELL U2720Q", "ABC123"));
    ASSERT_TRUE(edid);
    EXPECT_EQ(edid->manufacturer(), "DEL");
    EXPECT_EQ(edid->productCode(), 41073);
    EXPECT_EQ(edid->serialNumber(), 808469068u);
    EXPECT_EQ(edid->monitorName(), "DELL U2720Q");
    EXPECT_EQ(edid->serialText(), "ABC123");
    EXPECT_EQ(edid->identity(), "DEL-41073-808469068-ABC123");
}

TEST(X11Edid, IdentityWithoutSerialTextIsTheNumbersAlone) {
    const auto edid = Edid::parse(makeEdid("GSM", 23305, 0));
    ASSERT_TRUE(edid);
    EXPECT_EQ(edid->identity(), "GSM-23305-0");
    EXPECT_EQ(edid->monitorName(), "");
    EXPECT_EQ(edid->serialText(), "");
}

TEST(X11Edid, TwoUnitsOfOneModelDifferOnlyBySerial) {
    const auto a = Edid::parse(makeEdid("GSM", 23305, 0, "LG HDR 4K", "904NTAB1"));
    const auto b = Edid::parse(makeEdid("GSM", 23305, 0, "LG HDR 4K", "904NTAB2"));
    ASSERT_TRUE(a && b);
    EXPECT_NE(a->identity(), b->identity());
}

TEST(X11Edid, RejectsAnythingButAWholeCheckedBaseBlock) {
    auto good = makeEdid("DEL", 1, 2, "Name");
    ASSERT_TRUE(Edid::parse(good));

    auto shortBlock = good;
    shortBlock.pop_back();
    EXPECT_FALSE(Edid::parse(shortBlock));

    auto badHeader = good;
    badHeader[0] = 0x01;
    badHeader[127] = static_cast<std::uint8_t>(badHeader[127] - 1);
    EXPECT_FALSE(Edid::parse(badHeader));

    auto badChecksum = good;
    badChecksum[12] ^= 0x01;
    EXPECT_FALSE(Edid::parse(badChecksum));

    EXPECT_FALSE(Edid::parse(std::vector<std::uint8_t>{}));

    // Extension blocks after the base block do not matter.
    auto withExtension = good;
    withExtension.resize(256, 0x55);
    const auto extended = Edid::parse(withExtension);
    ASSERT_TRUE(extended);
    EXPECT_EQ(extended->monitorName(), "Name");
}

TEST(X11Edid, ManufacturerFieldWithoutLettersIsShownInHex) {
    auto bytes = makeEdid("AAA", 1, 2);
    // 0x0000 is no letter code; fix the checksum for the two bytes changed.
    const unsigned removed = bytes[8] + bytes[9];
    bytes[8] = 0;
    bytes[9] = 0;
    bytes[127] = static_cast<std::uint8_t>((bytes[127] + removed) % 256);
    const auto edid = Edid::parse(bytes);
    ASSERT_TRUE(edid);
    EXPECT_EQ(edid->manufacturer(), "#0000");
    EXPECT_EQ(edid->identity(), "#0000-1-2");
}

TEST(X11Edid, TextIsTrimmedAndReadAsLatin1) {
    // " Caf\xE9 24" padded with a line feed and blanks: blanks trimmed, é made UTF-8.
    const auto edid = Edid::parse(makeEdid("ACR", 7, 9, std::string(" Caf\xE9 24")));
    ASSERT_TRUE(edid);
    EXPECT_EQ(edid->monitorName(), "Caf\xC3\xA9 24");
}

TEST(X11Edid, ANameInTwoDescriptorsIsJoined) {
    auto bytes = makeEdid("SAM", 3, 4, "Odyssey G9 Neo", "X");
    // Turn the serial descriptor into a second name descriptor.
    ASSERT_EQ(bytes[90 + 3], 0xFF);
    bytes[90 + 3] = 0xFC;
    bytes[127] = static_cast<std::uint8_t>((bytes[127] + 0xFF - 0xFC) % 256);
    const auto edid = Edid::parse(bytes);
    ASSERT_TRUE(edid);
    // The first descriptor holds 13 characters, the second the rest.
    EXPECT_EQ(edid->monitorName(), "Odyssey G9 NeX");
    EXPECT_EQ(edid->serialText(), "");
}

} // namespace
} // namespace plimsett
