#pragma once

#include "engine/WindowHandle.h"
#include "platform/macos/CFRef.h"

#include <utility>

namespace plimsett {

// A window's handle: its Accessibility element, kept alive as long as a LiveWindow holds it.
class AXElementHandle : public WindowHandle {
public:
    explicit AXElementHandle(CFRef element) : element_(std::move(element)) {}

    const CFRef& element() const { return element_; }

private:
    CFRef element_;
};

} // namespace plimsett
