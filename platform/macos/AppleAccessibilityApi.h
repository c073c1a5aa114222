#pragma once

#include "platform/macos/AccessibilityApi.h"

namespace plimsett {

// AccessibilityApi over ApplicationServices (HIServices). Apple only.
class AppleAccessibilityApi : public AccessibilityApi {
public:
    bool isProcessTrusted() override;
    bool isProcessTrustedWithPrompt() override;
    CFRef createApplicationElement(std::int32_t processIdentifier) override;
    Error setMessagingTimeout(const CFRef& element, float seconds) override;
    Error copyAttributeValue(const CFRef& element, const std::string& attribute,
                             CFRef& value) override;
    Error setAttributeValue(const CFRef& element, const std::string& attribute,
                            const CFRef& value) override;
    CFRef createPointValue(Point point) override;
    CFRef createSizeValue(Size size) override;
    bool getPointValue(const CFRef& value, Point& out) override;
    bool getSizeValue(const CFRef& value, Size& out) override;
    TypeID typeID(const CFRef& object) override;
    TypeID axValueTypeID() override;
    TypeID axUIElementTypeID() override;
    std::optional<std::string> stringValue(const CFRef& object) override;
    std::optional<bool> booleanValue(const CFRef& object) override;
    std::optional<std::vector<CFRef>> arrayItems(const CFRef& object) override;
};

} // namespace plimsett
