#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plimsett::testing {

// A 128-byte EDID base block as a monitor would send it: a detailed timing in the first
// descriptor, then the monitor name (0xFC) and serial text (0xFF) descriptors when given, and a
// correct checksum. `manufacturer` is three capital letters.
inline std::vector<std::uint8_t> makeEdid(const std::string& manufacturer, std::uint16_t product,
                                          std::uint32_t serial, const std::string& name = {},
                                          const std::string& serialText = {}) {
    std::vector<std::uint8_t> e(128, 0);
    const std::uint8_t header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(header), std::end(header), e.begin());
    const unsigned id = (static_cast<unsigned>(manufacturer[0] - 'A' + 1) << 10) |
                        (static_cast<unsigned>(manufacturer[1] - 'A' + 1) << 5) |
                        static_cast<unsigned>(manufacturer[2] - 'A' + 1);
    e[8] = static_cast<std::uint8_t>(id >> 8);
    e[9] = static_cast<std::uint8_t>(id & 0xFF);
    e[10] = static_cast<std::uint8_t>(product & 0xFF);
    e[11] = static_cast<std::uint8_t>(product >> 8);
    for (int i = 0; i < 4; ++i) {
        e[12 + i] = static_cast<std::uint8_t>((serial >> (8 * i)) & 0xFF);
    }
    e[18] = 1;
    e[19] = 4;
    // A detailed timing: 65 MHz pixel clock, 1024 x 768.
    e[54] = 0x64;
    e[55] = 0x19;
    e[56] = 0x00;
    e[58] = 0x40;
    e[59] = 0x00;
    e[61] = 0x30;
    std::size_t next = 72;
    const auto text = [&](std::uint8_t tag, const std::string& value) {
        e[next + 3] = tag;
        std::size_t i = 0;
        for (; i < 13 && i < value.size(); ++i) {
            e[next + 5 + i] = static_cast<std::uint8_t>(value[i]);
        }
        if (i < 13) {
            e[next + 5 + i++] = 0x0A;
        }
        for (; i < 13; ++i) {
            e[next + 5 + i] = 0x20;
        }
        next += 18;
    };
    if (!name.empty()) {
        text(0xFC, name);
    }
    if (!serialText.empty()) {
        text(0xFF, serialText);
    }
    // The remaining descriptors are dummies (tag 0x10).
    for (; next <= 108; next += 18) {
        e[next + 3] = 0x10;
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i < 127; ++i) {
        sum += e[i];
    }
    e[127] = static_cast<std::uint8_t>((256 - sum % 256) % 256);
    return e;
}

} // namespace plimsett::testing
