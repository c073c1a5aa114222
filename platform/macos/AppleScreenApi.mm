#include "platform/macos/AppleScreenApi.h"

#import <AppKit/AppKit.h>

namespace plimsett {

std::vector<ScreenApi::Screen> AppleScreenApi::screens() {
    std::vector<Screen> result;
    @autoreleasepool {
        for (NSScreen* screen in NSScreen.screens) {
            Screen entry;
            id number = screen.deviceDescription[@"NSScreenNumber"];
            if ([number isKindOfClass:[NSNumber class]]) {
                entry.screenNumber = static_cast<std::uint32_t>([number unsignedIntValue]);
            }
            const NSRect visible = screen.visibleFrame;
            entry.visibleFrame =
                Rect{visible.origin.x, visible.origin.y, visible.size.width, visible.size.height};
            if (@available(macOS 10.15, *)) {
                if (const char* name = screen.localizedName.UTF8String) {
                    entry.localizedName = std::string(name);
                }
            }
            result.push_back(std::move(entry));
        }
    }
    return result;
}

} // namespace plimsett
