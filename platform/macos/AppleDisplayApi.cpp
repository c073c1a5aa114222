#include "platform/macos/AppleDisplayApi.h"

#include "platform/macos/AppleCoreFoundation.h"

// CoreGraphics, and ColorSync for CGDisplayCreateUUIDFromDisplayID.
#include <ApplicationServices/ApplicationServices.h>

namespace plimsett {

DisplayApi::Error AppleDisplayApi::getActiveDisplayList(std::uint32_t maxDisplays,
                                                        DisplayID* activeDisplays,
                                                        std::uint32_t* displayCount) {
    return CGGetActiveDisplayList(maxDisplays, activeDisplays, displayCount);
}

DisplayApi::DisplayID AppleDisplayApi::mainDisplayID() {
    return CGMainDisplayID();
}

Rect AppleDisplayApi::displayBounds(DisplayID display) {
    const CGRect bounds = CGDisplayBounds(display);
    return Rect{bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height};
}

DisplayApi::DisplayID AppleDisplayApi::displayMirrorsDisplay(DisplayID display) {
    return CGDisplayMirrorsDisplay(display);
}

bool AppleDisplayApi::displayIsBuiltin(DisplayID display) {
    return CGDisplayIsBuiltin(display) != 0;
}

std::uint32_t AppleDisplayApi::displayVendorNumber(DisplayID display) {
    return CGDisplayVendorNumber(display);
}

std::uint32_t AppleDisplayApi::displayModelNumber(DisplayID display) {
    return CGDisplayModelNumber(display);
}

std::uint32_t AppleDisplayApi::displaySerialNumber(DisplayID display) {
    return CGDisplaySerialNumber(display);
}

std::optional<std::string> AppleDisplayApi::displayUUIDString(DisplayID display) {
    const CFRef uuid = adoptCFObject(CGDisplayCreateUUIDFromDisplayID(display));
    if (!uuid) {
        return std::nullopt;
    }
    const CFRef text =
        adoptCFObject(CFUUIDCreateString(kCFAllocatorDefault, static_cast<CFUUIDRef>(uuid.get())));
    if (!text) {
        return std::nullopt;
    }
    return utf8String(static_cast<CFStringRef>(text.get()));
}

} // namespace plimsett
