#include "platform/x11/Edid.h"

#include "engine/Text.h"

#include <array>
#include <cstdio>
#include <numeric>

namespace plimsett {
namespace {

constexpr std::size_t blockSize = 128;
constexpr std::array<std::uint8_t, 8> header = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::array<std::size_t, 4> descriptorOffsets = {54, 72, 90, 108};
constexpr std::uint8_t monitorNameTag = 0xFC;
constexpr std::uint8_t serialTextTag = 0xFF;

// The text of a display descriptor: up to 13 bytes, ended by a line feed, padded with blanks.
// The bytes are meant to be ASCII; any others are read as Latin-1.
std::string descriptorText(std::span<const std::uint8_t> descriptor) {
    std::string text;
    for (std::size_t i = 5; i < 18; ++i) {
        const std::uint8_t byte = descriptor[i];
        if (byte == 0x0A || byte == 0x00) {
            break;
        }
        if (byte < 0x20) {
            continue;
        }
        if (byte < 0x80) {
            text.push_back(static_cast<char>(byte));
        } else {
            text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    text.erase(0, text.find_first_not_of(' '));
    return repairedUtf8(text);
}

} // namespace

std::optional<Edid> Edid::parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < blockSize || !std::equal(header.begin(), header.end(), bytes.begin())) {
        return std::nullopt;
    }
    const unsigned sum = std::accumulate(bytes.begin(), bytes.begin() + blockSize, 0u);
    if (sum % 256 != 0) {
        return std::nullopt;
    }
    Edid edid;
    // Three letters of five bits each, 1 standing for 'A', big-endian in bytes 8 and 9.
    const unsigned id = (static_cast<unsigned>(bytes[8]) << 8) | bytes[9];
    const unsigned letters[] = {(id >> 10) & 0x1F, (id >> 5) & 0x1F, id & 0x1F};
    bool lettersValid = (id & 0x8000) == 0;
    for (unsigned letter : letters) {
        lettersValid = lettersValid && letter >= 1 && letter <= 26;
    }
    if (lettersValid) {
        for (unsigned letter : letters) {
            edid.manufacturer_.push_back(static_cast<char>('A' + letter - 1));
        }
    } else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%04X", id);
        edid.manufacturer_ = hex;
    }
    edid.productCode_ = static_cast<std::uint16_t>(bytes[10] | (bytes[11] << 8));
    edid.serialNumber_ = static_cast<std::uint32_t>(bytes[12]) |
                         (static_cast<std::uint32_t>(bytes[13]) << 8) |
                         (static_cast<std::uint32_t>(bytes[14]) << 16) |
                         (static_cast<std::uint32_t>(bytes[15]) << 24);
    for (const std::size_t offset : descriptorOffsets) {
        const auto descriptor = bytes.subspan(offset, 18);
        // Display descriptors start with a zero pixel clock; detailed timings do not.
        if (descriptor[0] != 0 || descriptor[1] != 0 || descriptor[2] != 0) {
            continue;
        }
        if (descriptor[3] == monitorNameTag) {
            // A long name may continue in a second name descriptor.
            edid.monitorName_ += descriptorText(descriptor);
        } else if (descriptor[3] == serialTextTag && edid.serialText_.empty()) {
            edid.serialText_ = descriptorText(descriptor);
        }
    }
    return edid;
}

std::string Edid::identity() const {
    std::string text =
        manufacturer_ + "-" + std::to_string(productCode_) + "-" + std::to_string(serialNumber_);
    if (!serialText_.empty()) {
        text += "-" + serialText_;
    }
    return text;
}

} // namespace plimsett
