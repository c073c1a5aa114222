#pragma once

#include "engine/Rect.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plimsett::testing {

// Reads the X server for the tests, on a connection of its own and with code of its own, so that
// the backend is checked against the server and not against itself.
class XInspector {
public:
    explicit XInspector(const std::string& displayName);
    ~XInspector();
    XInspector(const XInspector&) = delete;
    XInspector& operator=(const XInspector&) = delete;

    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return root_; }
    xcb_atom_t atom(const std::string& name);

    // A whole 32-bit property; empty when missing.
    std::vector<std::uint32_t> property32(xcb_window_t window, const std::string& name);
    std::vector<xcb_window_t> clientList();
    bool hasWindowManager();
    bool exists(xcb_window_t window);
    // Client area in root coordinates grown by _NET_FRAME_EXTENTS; nothing when the window is gone.
    std::optional<Rect> outerFrame(xcb_window_t window);
    // True once the window manager lists the window and has set its frame extents.
    bool isManaged(xcb_window_t window);
    // Where the RandR output `name` (e.g. "DUMMY1") shows on the root, at the size of its mode;
    // nothing when it is off or unknown.
    std::optional<Rect> outputGeometry(const std::string& name);
    // The number of clients connected to the server (XRes).
    int clientCount();
    Rect rootGeometry();

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
};

} // namespace plimsett::testing
