#pragma once

// Apple only: the Core Foundation ownership and string helpers shared by the Apple translation
// units.

#include "platform/macos/CFRef.h"

#include <CoreFoundation/CoreFoundation.h>

#include <optional>
#include <string>

namespace plimsett {

// Takes over the reference that a Create or Copy call returned; NULL gives an empty CFRef.
CFRef adoptCFObject(CFTypeRef object);
// Adds a reference of its own to an object obtained by a Get call.
CFRef retainCFObject(CFTypeRef object);
// The string's text in UTF-8.
std::string utf8String(CFStringRef string);
// A new string of UTF-8 text; empty when the text is not valid UTF-8.
CFRef makeCFString(const std::string& text);

} // namespace plimsett
