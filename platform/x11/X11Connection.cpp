#include "platform/x11/X11Connection.h"

#include "platform/x11/XcbReply.h"

#include <xcb/randr.h>
#include <xcb/res.h>

#include <cstdio>
#include <cstring>

namespace plimsett {
namespace {

xcb_intern_atom_cookie_t internAtom(xcb_connection_t* connection, const char* name) {
    return xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
}

xcb_atom_t atomReply(xcb_connection_t* connection, xcb_intern_atom_cookie_t cookie) {
    xcb_generic_error_t* error = nullptr;
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, &error));
    std::free(error);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

} // namespace

std::shared_ptr<X11Connection> X11Connection::open(const std::string& displayName,
                                                   std::string& problem) {
    std::shared_ptr<X11Connection> self(new X11Connection());
    self->displayName_ = displayName;
    self->connection_ =
        xcb_connect(displayName.empty() ? nullptr : displayName.c_str(), &self->screenNumber_);
    if (xcb_connection_has_error(self->connection_) != 0) {
        problem = displayName.empty() ? "Cannot connect to the X server named by $DISPLAY."
                                      : "Cannot connect to the X server " + displayName + ".";
        return nullptr;
    }
    const xcb_setup_t* setup = xcb_get_setup(self->connection_);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < self->screenNumber_ && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem <= 0 || screens.data == nullptr) {
        problem = "The X server has no screen " + std::to_string(self->screenNumber_) + ".";
        return nullptr;
    }
    self->root_ = screens.data->root;
    self->resourceIdMask_ = setup->resource_id_mask;
    self->ownResourceBase_ = setup->resource_id_base;

    // Everything below is sent at once and collected afterwards: one round trip.
    xcb_connection_t* c = self->connection_;
    xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(c, &self->ewmh_);
    const xcb_intern_atom_cookie_t edidCookie = internAtom(c, "EDID");
    const xcb_intern_atom_cookie_t compoundCookie = internAtom(c, "COMPOUND_TEXT");
    xcb_prefetch_extension_data(c, &xcb_randr_id);
    xcb_prefetch_extension_data(c, &xcb_res_id);

    xcb_generic_error_t* error = nullptr;
    self->ewmhReady_ = xcb_ewmh_init_atoms_replies(&self->ewmh_, ewmhCookies, &error) != 0;
    std::free(error);
    self->edid_ = atomReply(c, edidCookie);
    self->compoundText_ = atomReply(c, compoundCookie);
    if (!self->ewmhReady_) {
        problem = "The X server did not answer.";
        return nullptr;
    }

    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(c, &xcb_randr_id);
    if (randr != nullptr && randr->present != 0) {
        // Screen resources "current" and the primary output need RandR 1.3.
        error = nullptr;
        XcbReply<xcb_randr_query_version_reply_t> version(
            xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), &error));
        std::free(error);
        self->hasRandR_ = version && (version->major_version > 1 ||
                                      (version->major_version == 1 && version->minor_version >= 3));
    }
    const xcb_query_extension_reply_t* res = xcb_get_extension_data(c, &xcb_res_id);
    if (res != nullptr && res->present != 0) {
        error = nullptr;
        XcbReply<xcb_res_query_version_reply_t> version(
            xcb_res_query_version_reply(c, xcb_res_query_version(c, 1, 2), &error));
        std::free(error);
        // Client ids (and with them process ids) came with version 1.2.
        self->hasXRes_ = version && (version->server_major > 1 ||
                                     (version->server_major == 1 && version->server_minor >= 2));
    }
    return self;
}

X11Connection::~X11Connection() {
    if (ewmhReady_) {
        xcb_ewmh_connection_wipe(&ewmh_);
    }
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
    }
}

bool X11Connection::isBroken() const {
    return xcb_connection_has_error(connection_) != 0;
}

void X11Connection::discardEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        std::free(event);
    }
}

std::vector<std::uint32_t> X11Connection::cardinals(xcb_window_t window, xcb_atom_t property,
                                                    xcb_atom_t type) {
    return cardinals(connection_, window, property, type);
}

std::vector<std::uint32_t> X11Connection::cardinals(xcb_connection_t* connection,
                                                    xcb_window_t window, xcb_atom_t property,
                                                    xcb_atom_t type) {
    std::vector<std::uint32_t> values;
    // Read in pieces until the server says nothing is left: a client list of thousands of
    // windows is read whole. A property beyond the cap (no real desktop has one) is cut there,
    // with a warning that says how much was left out.
    constexpr std::uint32_t piece = 4096;
    while (xcb_connection_has_error(connection) == 0) {
        xcb_generic_error_t* error = nullptr;
        const auto offset = static_cast<std::uint32_t>(values.size());
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, property, type, offset, piece),
            &error));
        std::free(error);
        if (!reply || reply->format != 32 || reply->type != type) {
            break;
        }
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / 4;
        values.insert(values.end(), data, data + count);
        if (reply->bytes_after == 0 || count == 0) {
            break;
        }
        if (values.size() >= maxCardinals) {
            std::fprintf(stderr,
                         "plimsett: an X property of window 0x%x holds more than %zu values; "
                         "the %u values after them are left out.\n",
                         static_cast<unsigned>(window), maxCardinals,
                         static_cast<unsigned>(reply->bytes_after / 4));
            break;
        }
    }
    return values;
}

bool X11Connection::hasEwmhWindowManager() {
    const std::vector<std::uint32_t> check =
        cardinals(root_, ewmh_._NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW);
    if (check.empty() || check[0] == XCB_WINDOW_NONE) {
        return false;
    }
    const std::vector<std::uint32_t> child =
        cardinals(check[0], ewmh_._NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW);
    return !child.empty() && child[0] == check[0];
}

} // namespace plimsett
