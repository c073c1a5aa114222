#include "platform/macos/AppleCoreFoundation.h"

#include <cstring>

namespace plimsett {

CFRef adoptCFObject(CFTypeRef object) {
    if (object == nullptr) {
        return {};
    }
    return CFRef(object, [](const void* owned) { CFRelease(owned); });
}

CFRef retainCFObject(CFTypeRef object) {
    if (object == nullptr) {
        return {};
    }
    return adoptCFObject(CFRetain(object));
}

std::string utf8String(CFStringRef string) {
    if (string == nullptr) {
        return {};
    }
    if (const char* direct = CFStringGetCStringPtr(string, kCFStringEncodingUTF8)) {
        return direct;
    }
    const CFIndex length = CFStringGetLength(string);
    const CFIndex maximum = CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8);
    if (maximum == kCFNotFound || maximum < 0) {
        return {};
    }
    std::string buffer(static_cast<std::size_t>(maximum) + 1, '\0');
    if (!CFStringGetCString(string, buffer.data(), static_cast<CFIndex>(buffer.size()),
                            kCFStringEncodingUTF8)) {
        return {};
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

CFRef makeCFString(const std::string& text) {
    return adoptCFObject(
        CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8));
}

} // namespace plimsett
