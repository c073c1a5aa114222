#pragma once

#include "platform/macos/CFRef.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plimsett {

// The ApplicationServices calls that read and move other applications' windows, one member per
// call, plus the Core Foundation type tests and reads applied to what they return.
class AccessibilityApi {
public:
    using Error = std::int32_t;         // AXError
    using TypeID = unsigned long;       // CFTypeID
    static constexpr Error success = 0; // kAXErrorSuccess

    struct Point {
        double x = 0;
        double y = 0;
    };
    struct Size {
        double width = 0;
        double height = 0;
    };

    virtual ~AccessibilityApi() = default;

    // AXIsProcessTrusted()
    virtual bool isProcessTrusted() = 0;
    // AXIsProcessTrustedWithOptions() with kAXTrustedCheckOptionPrompt = true; the system may
    // show its own prompt.
    virtual bool isProcessTrustedWithPrompt() = 0;

    // AXUIElementCreateApplication(pid)
    virtual CFRef createApplicationElement(std::int32_t processIdentifier) = 0;
    // AXUIElementSetMessagingTimeout(element, seconds)
    virtual Error setMessagingTimeout(const CFRef& element, float seconds) = 0;
    // AXUIElementCopyAttributeValue(element, attribute, &value)
    virtual Error copyAttributeValue(const CFRef& element, const std::string& attribute,
                                     CFRef& value) = 0;
    // AXUIElementSetAttributeValue(element, attribute, value)
    virtual Error setAttributeValue(const CFRef& element, const std::string& attribute,
                                    const CFRef& value) = 0;

    // AXValueCreate(kAXValueTypeCGPoint / kAXValueTypeCGSize, &value); empty when it yields NULL.
    virtual CFRef createPointValue(Point point) = 0;
    virtual CFRef createSizeValue(Size size) = 0;
    // AXValueGetValue(value, kAXValueTypeCGPoint / kAXValueTypeCGSize, &out): false unless the
    // value is of that type and was copied out.
    virtual bool getPointValue(const CFRef& value, Point& out) = 0;
    virtual bool getSizeValue(const CFRef& value, Size& out) = 0;

    // CFGetTypeID(object), AXValueGetTypeID(), AXUIElementGetTypeID()
    virtual TypeID typeID(const CFRef& object) = 0;
    virtual TypeID axValueTypeID() = 0;
    virtual TypeID axUIElementTypeID() = 0;

    // The object as a CFString (in UTF-8), a CFBoolean or the items of a CFArray; nothing when it
    // is of another type.
    virtual std::optional<std::string> stringValue(const CFRef& object) = 0;
    virtual std::optional<bool> booleanValue(const CFRef& object) = 0;
    virtual std::optional<std::vector<CFRef>> arrayItems(const CFRef& object) = 0;
};

} // namespace plimsett
