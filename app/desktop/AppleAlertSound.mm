#include "app/desktop/AppleAlertSound.h"

#import <AppKit/AppKit.h>

namespace plimsett {

void AppleAlertSound::play() {
    NSBeep();
}

} // namespace plimsett
