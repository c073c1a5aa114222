#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plimsett {

// One connection to an X server with the atoms the backend needs. The window system, the display
// provider and the access permission share it; all of them use it on the main thread only. Errors
// of requests are always collected through their replies, so no X error ever aborts the program.
class X11Connection {
public:
    // Connects to `displayName` (the empty name means $DISPLAY). Nothing, with the reason in
    // `problem`, when no X server can be reached.
    static std::shared_ptr<X11Connection> open(const std::string& displayName,
                                               std::string& problem);
    ~X11Connection();

    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* xcb() const { return connection_; }
    xcb_ewmh_connection_t& ewmh() { return ewmh_; }
    int screenNumber() const { return screenNumber_; }
    xcb_window_t root() const { return root_; }
    // The display name as given (empty when $DISPLAY was used).
    const std::string& displayName() const { return displayName_; }

    xcb_atom_t edidAtom() const { return edid_; }
    xcb_atom_t compoundTextAtom() const { return compoundText_; }
    bool hasRandR() const { return hasRandR_; }
    bool hasXRes() const { return hasXRes_; }
    // True once the server has gone away; every operation then reads nothing.
    bool isBroken() const;
    // Drops whatever arrived unasked: nothing selects events on this connection, so only errors
    // of requests without replies can queue up, and they must not pile up over a long run.
    void discardEvents();

    // A window id with these bits cleared gives the id base of the client that created it; the
    // server uses one mask for all clients.
    std::uint32_t resourceIdMask() const { return resourceIdMask_; }
    std::uint32_t ownResourceBase() const { return ownResourceBase_; }

    // True when an EWMH window manager runs: the root's _NET_SUPPORTING_WM_CHECK names a window
    // whose own property names itself (a stale value left by a window manager that died does
    // not count). Two round trips.
    bool hasEwmhWindowManager();

    // The most values cardinals() reads of one property.
    static constexpr std::size_t maxCardinals = 65536;
    // Reads a whole property of 32-bit values, up to maxCardinals; empty when it is missing, of
    // another format or type, or the window is gone. For one-off reads; listings pipeline their
    // own requests.
    std::vector<std::uint32_t> cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);
    // The same on any connection (the event monitor has one of its own).
    static std::vector<std::uint32_t> cardinals(xcb_connection_t* connection, xcb_window_t window,
                                                xcb_atom_t property, xcb_atom_t type);

private:
    X11Connection() = default;

    xcb_connection_t* connection_ = nullptr;
    xcb_ewmh_connection_t ewmh_{};
    bool ewmhReady_ = false;
    int screenNumber_ = 0;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    std::string displayName_;
    xcb_atom_t edid_ = XCB_ATOM_NONE;
    xcb_atom_t compoundText_ = XCB_ATOM_NONE;
    bool hasRandR_ = false;
    bool hasXRes_ = false;
    std::uint32_t resourceIdMask_ = 0;
    std::uint32_t ownResourceBase_ = 0;
};

} // namespace plimsett
