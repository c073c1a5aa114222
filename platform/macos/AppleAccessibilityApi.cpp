#include "platform/macos/AppleAccessibilityApi.h"

#include "platform/macos/AppleCoreFoundation.h"

#include <ApplicationServices/ApplicationServices.h>

namespace plimsett {
namespace {

// Error code for an element or attribute that cannot even be asked for.
constexpr AccessibilityApi::Error illegalArgument = kAXErrorIllegalArgument;

AXUIElementRef asElement(const CFRef& object) {
    return static_cast<AXUIElementRef>(object.get());
}

bool isOfType(const CFRef& object, CFTypeID type) {
    return object && CFGetTypeID(object.get()) == type;
}

} // namespace

bool AppleAccessibilityApi::isProcessTrusted() {
    return AXIsProcessTrusted();
}

bool AppleAccessibilityApi::isProcessTrustedWithPrompt() {
    const void* keys[] = {kAXTrustedCheckOptionPrompt};
    const void* values[] = {kCFBooleanTrue};
    const CFRef options = adoptCFObject(CFDictionaryCreate(kCFAllocatorDefault, keys, values, 1,
                                                           &kCFTypeDictionaryKeyCallBacks,
                                                           &kCFTypeDictionaryValueCallBacks));
    return AXIsProcessTrustedWithOptions(static_cast<CFDictionaryRef>(options.get()));
}

CFRef AppleAccessibilityApi::createApplicationElement(std::int32_t processIdentifier) {
    return adoptCFObject(AXUIElementCreateApplication(static_cast<pid_t>(processIdentifier)));
}

AccessibilityApi::Error AppleAccessibilityApi::setMessagingTimeout(const CFRef& element,
                                                                   float seconds) {
    if (!isOfType(element, AXUIElementGetTypeID())) {
        return illegalArgument;
    }
    return AXUIElementSetMessagingTimeout(asElement(element), seconds);
}

AccessibilityApi::Error AppleAccessibilityApi::copyAttributeValue(const CFRef& element,
                                                                  const std::string& attribute,
                                                                  CFRef& value) {
    value.reset();
    const CFRef name = makeCFString(attribute);
    if (!name || !isOfType(element, AXUIElementGetTypeID())) {
        return illegalArgument;
    }
    CFTypeRef copied = nullptr;
    const AXError error = AXUIElementCopyAttributeValue(
        asElement(element), static_cast<CFStringRef>(name.get()), &copied);
    value = adoptCFObject(copied);
    return error;
}

AccessibilityApi::Error AppleAccessibilityApi::setAttributeValue(const CFRef& element,
                                                                 const std::string& attribute,
                                                                 const CFRef& value) {
    const CFRef name = makeCFString(attribute);
    if (!name || !value || !isOfType(element, AXUIElementGetTypeID())) {
        return illegalArgument;
    }
    return AXUIElementSetAttributeValue(asElement(element), static_cast<CFStringRef>(name.get()),
                                        value.get());
}

CFRef AppleAccessibilityApi::createPointValue(Point point) {
    const CGPoint value = CGPointMake(point.x, point.y);
    return adoptCFObject(AXValueCreate(kAXValueTypeCGPoint, &value));
}

CFRef AppleAccessibilityApi::createSizeValue(Size size) {
    const CGSize value = CGSizeMake(size.width, size.height);
    return adoptCFObject(AXValueCreate(kAXValueTypeCGSize, &value));
}

bool AppleAccessibilityApi::getPointValue(const CFRef& value, Point& out) {
    if (!isOfType(value, AXValueGetTypeID())) {
        return false;
    }
    CGPoint point = CGPointZero;
    if (!AXValueGetValue(static_cast<AXValueRef>(value.get()), kAXValueTypeCGPoint, &point)) {
        return false;
    }
    out = Point{point.x, point.y};
    return true;
}

bool AppleAccessibilityApi::getSizeValue(const CFRef& value, Size& out) {
    if (!isOfType(value, AXValueGetTypeID())) {
        return false;
    }
    CGSize size = CGSizeZero;
    if (!AXValueGetValue(static_cast<AXValueRef>(value.get()), kAXValueTypeCGSize, &size)) {
        return false;
    }
    out = Size{size.width, size.height};
    return true;
}

AccessibilityApi::TypeID AppleAccessibilityApi::typeID(const CFRef& object) {
    return object ? CFGetTypeID(object.get()) : 0;
}

AccessibilityApi::TypeID AppleAccessibilityApi::axValueTypeID() {
    return AXValueGetTypeID();
}

AccessibilityApi::TypeID AppleAccessibilityApi::axUIElementTypeID() {
    return AXUIElementGetTypeID();
}

std::optional<std::string> AppleAccessibilityApi::stringValue(const CFRef& object) {
    if (!isOfType(object, CFStringGetTypeID())) {
        return std::nullopt;
    }
    return utf8String(static_cast<CFStringRef>(object.get()));
}

std::optional<bool> AppleAccessibilityApi::booleanValue(const CFRef& object) {
    if (!isOfType(object, CFBooleanGetTypeID())) {
        return std::nullopt;
    }
    return CFBooleanGetValue(static_cast<CFBooleanRef>(object.get())) != 0;
}

std::optional<std::vector<CFRef>> AppleAccessibilityApi::arrayItems(const CFRef& object) {
    if (!isOfType(object, CFArrayGetTypeID())) {
        return std::nullopt;
    }
    const auto array = static_cast<CFArrayRef>(object.get());
    const CFIndex count = CFArrayGetCount(array);
    std::vector<CFRef> items;
    items.reserve(static_cast<std::size_t>(count));
    for (CFIndex i = 0; i < count; ++i) {
        items.push_back(retainCFObject(CFArrayGetValueAtIndex(array, i)));
    }
    return items;
}

} // namespace plimsett
