#include "platform/macos/AppleDisplayEventApi.h"

#include "platform/macos/AppleCoreFoundation.h"
#include "platform/macos/DisplayEventMonitor.h"

#import <AppKit/AppKit.h>
#include <ApplicationServices/ApplicationServices.h>
#include <dispatch/dispatch.h>

namespace plimsett {
namespace {

void displayReconfigured(CGDirectDisplayID display, CGDisplayChangeSummaryFlags flags,
                         void* userInfo) {
    DisplayEventMonitor::reconfigurationCallback(display, static_cast<std::uint32_t>(flags),
                                                 userInfo);
}

NSNotificationCenter* notificationCenter(DisplayEventApi::Center center) {
    switch (center) {
    case DisplayEventApi::Center::application:
        return NSNotificationCenter.defaultCenter;
    case DisplayEventApi::Center::workspace:
        return NSWorkspace.sharedWorkspace.notificationCenter;
    }
    return NSNotificationCenter.defaultCenter;
}

NSNotificationName notificationName(DisplayEventApi::Notification name) {
    switch (name) {
    case DisplayEventApi::Notification::screenParametersChanged:
        return NSApplicationDidChangeScreenParametersNotification;
    case DisplayEventApi::Notification::willSleep:
        return NSWorkspaceWillSleepNotification;
    case DisplayEventApi::Notification::didWake:
        return NSWorkspaceDidWakeNotification;
    }
    return NSApplicationDidChangeScreenParametersNotification;
}

} // namespace

void AppleDisplayEventApi::registerReconfigurationCallback(void* userInfo) {
    CGDisplayRegisterReconfigurationCallback(&displayReconfigured, userInfo);
}

void AppleDisplayEventApi::removeReconfigurationCallback(void* userInfo) {
    CGDisplayRemoveReconfigurationCallback(&displayReconfigured, userInfo);
}

CFRef AppleDisplayEventApi::addObserver(Center center, Notification name,
                                        std::function<void()> block) {
    @autoreleasepool {
        id<NSObject> token =
            [notificationCenter(center) addObserverForName:notificationName(name)
                                                    object:nil
                                                     queue:NSOperationQueue.mainQueue
                                                usingBlock:^(NSNotification* note) {
                                                  (void)note;
                                                  block();
                                                }];
        return adoptCFObject(CFBridgingRetain(token));
    }
}

void AppleDisplayEventApi::removeObserver(Center center, const CFRef& token) {
    if (!token) {
        return;
    }
    @autoreleasepool {
        [notificationCenter(center) removeObserver:(__bridge id)token.get()];
    }
}

bool AppleDisplayEventApi::isMainThread() {
    return [NSThread isMainThread];
}

void AppleDisplayEventApi::dispatchToMain(std::function<void()> work) {
    dispatch_async(dispatch_get_main_queue(), ^{
      work();
    });
}

} // namespace plimsett
