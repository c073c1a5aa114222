#pragma once

#include "engine/WindowHandle.h"

#include <xcb/xcb.h>

#include <string>

namespace plimsett {

// A client window of the X server that the window system listed it from.
class X11WindowHandle : public WindowHandle {
public:
    explicit X11WindowHandle(xcb_window_t window) : window_(window) {}
    xcb_window_t window() const { return window_; }
    // The client window's id, as X11 window events name it.
    std::string key() const override { return std::to_string(window_); }

private:
    xcb_window_t window_;
};

} // namespace plimsett
