#include "app/desktop/SMAppServiceLoginItem.h"

#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

namespace plimsett {

bool SMAppServiceLoginItem::isEnabled() const {
    if (@available(macOS 13.0, *)) {
        @autoreleasepool {
            return SMAppService.mainAppService.status == SMAppServiceStatusEnabled;
        }
    }
    return false;
}

bool SMAppServiceLoginItem::setEnabled(bool enabled) {
    if (@available(macOS 13.0, *)) {
        @autoreleasepool {
            SMAppService* service = SMAppService.mainAppService;
            NSError* error = nil;
            const BOOL done = enabled ? [service registerAndReturnError:&error]
                                      : [service unregisterAndReturnError:&error];
            return done;
        }
    }
    return false;
}

} // namespace plimsett
