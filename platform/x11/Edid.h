#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace plimsett {

// The identity and name of a monitor, from the base block of its EDID (the bytes of a RandR
// output's "EDID" property).
class Edid {
public:
    // Nothing unless `bytes` start with a whole base block: 128 bytes with the fixed header and a
    // correct checksum (a torn or truncated read must not make up another monitor).
    static std::optional<Edid> parse(std::span<const std::uint8_t> bytes);

    // The three-letter PNP manufacturer id, e.g. "DEL"; "#" and four hex digits when the
    // field holds no letters.
    const std::string& manufacturer() const { return manufacturer_; }
    std::uint16_t productCode() const { return productCode_; }
    std::uint32_t serialNumber() const { return serialNumber_; }
    // The serial number descriptor (0xFF), empty when there is none.
    const std::string& serialText() const { return serialText_; }
    // The monitor name descriptor (0xFC), empty when there is none.
    const std::string& monitorName() const { return monitorName_; }

    // A stable identity text of the monitor, whichever connector it is plugged into:
    // manufacturer, product code and serial number in decimal, joined by "-", followed by "-" and
    // the serial text when there is one, e.g. "DEL-41073-808469068" or "GSM-23305-0-904NTXRAX123".
    std::string identity() const;

private:
    Edid() = default;

    std::string manufacturer_;
    std::uint16_t productCode_ = 0;
    std::uint32_t serialNumber_ = 0;
    std::string serialText_;
    std::string monitorName_;
};

} // namespace plimsett
