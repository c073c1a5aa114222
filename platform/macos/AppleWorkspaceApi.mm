#include "platform/macos/AppleWorkspaceApi.h"

#import <AppKit/AppKit.h>

namespace plimsett {
namespace {

std::optional<std::string> text(NSString* string) {
    if (string == nil) {
        return std::nullopt;
    }
    const char* utf8 = string.UTF8String;
    if (utf8 == nullptr) {
        return std::nullopt;
    }
    return std::string(utf8);
}

} // namespace

std::int32_t AppleWorkspaceApi::ownProcessIdentifier() {
    return NSProcessInfo.processInfo.processIdentifier;
}

std::vector<WorkspaceApi::RunningApplication> AppleWorkspaceApi::runningApplications() {
    std::vector<RunningApplication> result;
    @autoreleasepool {
        for (NSRunningApplication* application in NSWorkspace.sharedWorkspace.runningApplications) {
            RunningApplication entry;
            entry.activationPolicy = static_cast<std::int64_t>(application.activationPolicy);
            entry.processIdentifier = application.processIdentifier;
            entry.isTerminated = [application isTerminated];
            entry.bundleIdentifier = text(application.bundleIdentifier);
            entry.localizedName = text(application.localizedName);
            result.push_back(std::move(entry));
        }
    }
    return result;
}

bool AppleWorkspaceApi::openURL(const std::string& address) {
    @autoreleasepool {
        NSString* string = [NSString stringWithUTF8String:address.c_str()];
        NSURL* url = string == nil ? nil : [NSURL URLWithString:string];
        if (url == nil) {
            return false;
        }
        return [NSWorkspace.sharedWorkspace openURL:url];
    }
}

} // namespace plimsett
