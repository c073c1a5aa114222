#include "platform/x11/X11WindowSystem.h"

#include "engine/LayoutController.h"
#include "engine/Text.h"
#include "platform/x11/X11WindowHandle.h"
#include "platform/x11/XcbReply.h"

#include <xcb/res.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <thread>
#include <unistd.h>

namespace plimsett {
namespace {

// Longest values read, in 32-bit units: titles up to 4 KiB, WM_CLASS up to 1 KiB.
constexpr std::uint32_t titleLength = 1024;
constexpr std::uint32_t classLength = 256;
constexpr std::uint32_t listLength = 64;

XcbReply<xcb_get_property_reply_t> propertyReply(xcb_connection_t* c,
                                                 xcb_get_property_cookie_t cookie) {
    xcb_generic_error_t* error = nullptr;
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, &error));
    std::free(error);
    return reply;
}

std::vector<std::uint32_t> values32(const xcb_get_property_reply_t* reply, xcb_atom_t type) {
    if (reply == nullptr || reply->format != 32 || reply->type != type) {
        return {};
    }
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    return std::vector<std::uint32_t>(data, data + xcb_get_property_value_length(reply) / 4);
}

std::string bytes(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 8) {
        return {};
    }
    std::string text(static_cast<const char*>(xcb_get_property_value(reply)),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    while (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

std::string latin1ToUtf8(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            result.push_back(c);
        } else {
            result.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            result.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return result;
}

bool contains(const std::vector<std::uint32_t>& atoms, xcb_atom_t atom) {
    return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

// Every edge within the controller's tolerance: the window counts as in place.
bool withinTolerance(const Rect& a, const Rect& b) {
    const double tolerance = LayoutController::frameTolerance;
    return std::fabs(a.x - b.x) < tolerance && std::fabs(a.y - b.y) < tolerance &&
           std::fabs(a.width - b.width) < tolerance && std::fabs(a.height - b.height) < tolerance;
}

struct Requests {
    xcb_get_property_cookie_t pid, type, transientFor, wmClass, netName, wmName, state, extents;
    xcb_get_geometry_cookie_t geometry;
    xcb_translate_coordinates_cookie_t position;
};

struct Record {
    xcb_window_t window = XCB_WINDOW_NONE;
    std::string groupKey;
    std::string wmClass;
    std::string wmInstance;
    std::string title;
    Rect frame;
    bool hidden = false;
    bool fullScreen = false;
};

} // namespace

X11WindowSystem::X11WindowSystem(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)), desktopEntries_(DesktopEntryCatalog::forEnvironment()),
      ownPid_(getpid()) {}

bool X11WindowSystem::isTrusted() const {
    return connection_ && !connection_->isBroken() && connection_->hasEwmhWindowManager();
}

std::vector<LiveWindow> X11WindowSystem::windows() {
    if (!connection_ || connection_->isBroken()) {
        return {};
    }
    connection_->discardEvents();
    xcb_connection_t* c = connection_->xcb();
    xcb_ewmh_connection_t& ewmh = connection_->ewmh();

    // First round trip: the managed windows.
    const std::vector<std::uint32_t> clients =
        connection_->cardinals(connection_->root(), ewmh._NET_CLIENT_LIST, XCB_ATOM_WINDOW);
    if (clients.empty()) {
        return {};
    }
    desktopEntries_.refresh();

    // Second round trip: every property of every window, and the process of every client,
    // requested at once.
    std::vector<Requests> requests;
    requests.reserve(clients.size());
    for (const xcb_window_t window : clients) {
        Requests r{};
        r.pid = xcb_get_property(c, 0, window, ewmh._NET_WM_PID, XCB_ATOM_CARDINAL, 0, 1);
        r.type =
            xcb_get_property(c, 0, window, ewmh._NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, 0, listLength);
        r.transientFor =
            xcb_get_property(c, 0, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1);
        r.wmClass =
            xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, classLength);
        r.netName =
            xcb_get_property(c, 0, window, ewmh._NET_WM_NAME, ewmh.UTF8_STRING, 0, titleLength);
        r.wmName = xcb_get_property(c, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                    titleLength);
        r.state = xcb_get_property(c, 0, window, ewmh._NET_WM_STATE, XCB_ATOM_ATOM, 0, listLength);
        r.extents =
            xcb_get_property(c, 0, window, ewmh._NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 0, 4);
        r.geometry = xcb_get_geometry(c, window);
        r.position = xcb_translate_coordinates(c, window, connection_->root(), 0, 0);
        requests.push_back(r);
    }
    // The process of each client comes from the server (XRes), which knows it even for clients
    // that do not set _NET_WM_PID or run in another PID namespace.
    const std::uint32_t idMask = connection_->resourceIdMask();
    std::optional<xcb_res_query_client_ids_cookie_t> clientIDsCookie;
    if (connection_->hasXRes()) {
        std::vector<xcb_res_client_id_spec_t> queries;
        for (const xcb_window_t window : clients) {
            const std::uint32_t base = window & ~idMask;
            if (std::none_of(queries.begin(), queries.end(),
                             [base](const auto& query) { return query.client == base; })) {
                queries.push_back({base, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID});
            }
        }
        clientIDsCookie =
            xcb_res_query_client_ids(c, static_cast<std::uint32_t>(queries.size()), queries.data());
    }

    std::map<std::uint32_t, std::uint32_t> pidOfClient;
    if (clientIDsCookie) {
        xcb_generic_error_t* error = nullptr;
        XcbReply<xcb_res_query_client_ids_reply_t> reply(
            xcb_res_query_client_ids_reply(c, *clientIDsCookie, &error));
        std::free(error);
        if (reply) {
            for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0;
                 xcb_res_client_id_value_next(&it)) {
                if (it.data->spec.mask == XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID &&
                    xcb_res_client_id_value_value_length(it.data) >= 1) {
                    pidOfClient[it.data->spec.client & ~idMask] =
                        xcb_res_client_id_value_value(it.data)[0];
                }
            }
        }
    }

    const std::vector<xcb_atom_t> knownTypes = {
        ewmh._NET_WM_WINDOW_TYPE_DESKTOP,      ewmh._NET_WM_WINDOW_TYPE_DOCK,
        ewmh._NET_WM_WINDOW_TYPE_TOOLBAR,      ewmh._NET_WM_WINDOW_TYPE_MENU,
        ewmh._NET_WM_WINDOW_TYPE_UTILITY,      ewmh._NET_WM_WINDOW_TYPE_SPLASH,
        ewmh._NET_WM_WINDOW_TYPE_DIALOG,       ewmh._NET_WM_WINDOW_TYPE_DROPDOWN_MENU,
        ewmh._NET_WM_WINDOW_TYPE_POPUP_MENU,   ewmh._NET_WM_WINDOW_TYPE_TOOLTIP,
        ewmh._NET_WM_WINDOW_TYPE_NOTIFICATION, ewmh._NET_WM_WINDOW_TYPE_COMBO,
        ewmh._NET_WM_WINDOW_TYPE_DND,          ewmh._NET_WM_WINDOW_TYPE_NORMAL};

    std::vector<Record> records;
    records.reserve(clients.size());
    for (std::size_t i = 0; i < clients.size(); ++i) {
        const Requests& r = requests[i];
        // Every reply is collected, even of windows that are left out, so that none is left
        // waiting in the connection.
        const auto pid = propertyReply(c, r.pid);
        const auto type = propertyReply(c, r.type);
        const auto transientFor = propertyReply(c, r.transientFor);
        const auto wmClass = propertyReply(c, r.wmClass);
        const auto netName = propertyReply(c, r.netName);
        const auto wmName = propertyReply(c, r.wmName);
        const auto state = propertyReply(c, r.state);
        const auto extents = propertyReply(c, r.extents);
        xcb_generic_error_t* error = nullptr;
        const XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c, r.geometry, &error));
        std::free(error);
        error = nullptr;
        const XcbReply<xcb_translate_coordinates_reply_t> position(
            xcb_translate_coordinates_reply(c, r.position, &error));
        std::free(error);

        // Gone since the client list was read.
        if (!geometry || !position) {
            continue;
        }

        const xcb_window_t window = clients[i];
        const std::uint32_t base = window & ~idMask;
        std::uint32_t processID = 0;
        if (const auto found = pidOfClient.find(base); found != pidOfClient.end()) {
            processID = found->second;
        } else if (const auto value = values32(pid.get(), XCB_ATOM_CARDINAL); !value.empty()) {
            processID = value[0];
        }
        if (processID == static_cast<std::uint32_t>(ownPid_) ||
            base == connection_->ownResourceBase()) {
            continue;
        }

        // The first type that the window names and EWMH knows decides; without one, a window
        // that is transient for another is a dialog and every other window is normal.
        const std::vector<std::uint32_t> types = values32(type.get(), XCB_ATOM_ATOM);
        const auto known = std::find_if(types.begin(), types.end(), [&](std::uint32_t t) {
            return std::find(knownTypes.begin(), knownTypes.end(), t) != knownTypes.end();
        });
        if (known != types.end()) {
            if (*known != ewmh._NET_WM_WINDOW_TYPE_NORMAL) {
                continue;
            }
        } else {
            const std::vector<std::uint32_t> parent = values32(transientFor.get(), XCB_ATOM_WINDOW);
            if (!parent.empty() && parent[0] != XCB_WINDOW_NONE) {
                continue;
            }
        }

        // WM_CLASS is "instance\0class\0"; a window without a class belongs to no application.
        const std::string classBytes = bytes(wmClass.get());
        const auto separator = classBytes.find('\0');
        if (separator == std::string::npos) {
            continue;
        }
        std::string className = classBytes.substr(separator + 1);
        className = className.substr(0, className.find('\0'));
        if (className.empty()) {
            continue;
        }

        // The client's area in root coordinates, grown by its border and the decorations.
        std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
        if (const auto e = values32(extents.get(), XCB_ATOM_CARDINAL); e.size() >= 4) {
            left = e[0];
            right = e[1];
            top = e[2];
            bottom = e[3];
        }
        const double border = geometry->border_width;
        const Rect frame{position->dst_x - border - left, position->dst_y - border - top,
                         geometry->width + 2 * border + left + right,
                         geometry->height + 2 * border + top + bottom};
        if (!(frame.width > 0) || !(frame.height > 0)) {
            continue;
        }

        std::string title;
        if (netName && netName->type == ewmh.UTF8_STRING) {
            title = bytes(netName.get());
        }
        if (title.empty() && wmName) {
            const std::string raw = bytes(wmName.get());
            const bool latin1 = wmName->type == XCB_ATOM_STRING ||
                                (wmName->type == connection_->compoundTextAtom() &&
                                 raw.find('\x1b') == std::string::npos);
            title = latin1 ? latin1ToUtf8(raw) : raw;
        }

        const std::vector<std::uint32_t> states = values32(state.get(), XCB_ATOM_ATOM);
        Record record;
        record.window = window;
        record.groupKey =
            processID != 0 ? "pid:" + std::to_string(processID) : "client:" + std::to_string(base);
        record.wmClass = std::move(className);
        record.wmInstance = classBytes.substr(0, separator);
        record.title = repairedUtf8(title);
        record.frame = frame;
        record.hidden = contains(states, ewmh._NET_WM_STATE_HIDDEN);
        record.fullScreen = contains(states, ewmh._NET_WM_STATE_FULLSCREEN);
        records.push_back(std::move(record));
    }

    // Group by process and class, applications in the order of their first window.
    std::vector<std::vector<const Record*>> applications;
    std::map<std::pair<std::string, std::string>, std::size_t> applicationIndex;
    for (const Record& record : records) {
        const auto key = std::make_pair(record.groupKey, record.wmClass);
        auto [it, inserted] = applicationIndex.emplace(key, applications.size());
        if (inserted) {
            applications.emplace_back();
        }
        applications[it->second].push_back(&record);
    }
    std::vector<LiveWindow> result;
    result.reserve(records.size());
    for (const auto& application : applications) {
        const Record& first = *application.front();
        const auto entry = desktopEntries_.find(first.wmClass, first.wmInstance);
        const std::string appName = entry ? entry->name : first.wmClass;
        std::int64_t index = 0;
        for (const Record* record : application) {
            LiveWindow window;
            window.handle = std::make_shared<X11WindowHandle>(record->window);
            window.bundleID = record->wmClass;
            window.appName = appName;
            window.title = record->title;
            window.index = index++;
            window.frame = record->frame;
            window.isMinimized = record->hidden;
            window.isFullScreen = record->fullScreen;
            result.push_back(std::move(window));
        }
    }
    return result;
}

std::optional<X11WindowSystem::Placement>
X11WindowSystem::readPlacement(xcb_window_t window) const {
    xcb_connection_t* c = connection_->xcb();
    xcb_ewmh_connection_t& ewmh = connection_->ewmh();
    const auto geometryCookie = xcb_get_geometry(c, window);
    const auto positionCookie = xcb_translate_coordinates(c, window, connection_->root(), 0, 0);
    const auto extentsCookie =
        xcb_get_property(c, 0, window, ewmh._NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 0, 4);
    const auto stateCookie =
        xcb_get_property(c, 0, window, ewmh._NET_WM_STATE, XCB_ATOM_ATOM, 0, listLength);

    xcb_generic_error_t* error = nullptr;
    const XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, geometryCookie, &error));
    std::free(error);
    error = nullptr;
    const XcbReply<xcb_translate_coordinates_reply_t> position(
        xcb_translate_coordinates_reply(c, positionCookie, &error));
    std::free(error);
    const auto extents = propertyReply(c, extentsCookie);
    const auto state = propertyReply(c, stateCookie);
    if (!geometry || !position) {
        return std::nullopt;
    }
    Placement placement;
    if (const auto e = values32(extents.get(), XCB_ATOM_CARDINAL); e.size() >= 4) {
        placement.left = e[0];
        placement.right = e[1];
        placement.top = e[2];
        placement.bottom = e[3];
    }
    placement.border = geometry->border_width;
    const double border = placement.border;
    placement.outer =
        Rect{position->dst_x - border - placement.left, position->dst_y - border - placement.top,
             geometry->width + 2 * border + placement.left + placement.right,
             geometry->height + 2 * border + placement.top + placement.bottom};
    const std::vector<std::uint32_t> states = values32(state.get(), XCB_ATOM_ATOM);
    placement.maximized = contains(states, ewmh._NET_WM_STATE_MAXIMIZED_VERT) ||
                          contains(states, ewmh._NET_WM_STATE_MAXIMIZED_HORZ);
    return placement;
}

bool X11WindowSystem::move(const LiveWindow& window, const Rect& frame) {
    const auto* handle = dynamic_cast<const X11WindowHandle*>(window.handle.get());
    if (handle == nullptr || !connection_ || connection_->isBroken()) {
        return false;
    }
    connection_->discardEvents();
    // X coordinates are whole pixels in 16 bits.
    const Rect wanted = frame.standardized();
    if (!wanted.isFinite() || std::fabs(wanted.x) > 32000 || std::fabs(wanted.y) > 32000 ||
        wanted.width > 32000 || wanted.height > 32000) {
        return false;
    }
    const Rect target{std::round(wanted.x), std::round(wanted.y), std::round(wanted.width),
                      std::round(wanted.height)};

    xcb_connection_t* c = connection_->xcb();
    xcb_ewmh_connection_t& ewmh = connection_->ewmh();
    const xcb_window_t id = handle->window();
    const auto deadline = std::chrono::steady_clock::now() + moveConfirmationTimeout;
    const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(4)); };

    std::optional<Placement> placement = readPlacement(id);
    if (!placement) {
        return false;
    }
    // Window managers keep a maximised window on its maximised area; release it first, and
    // wait for the decorations of the unmaximised window before converting the frame.
    if (placement->maximized) {
        xcb_ewmh_request_change_wm_state(
            &ewmh, connection_->screenNumber(), id, XCB_EWMH_WM_STATE_REMOVE,
            ewmh._NET_WM_STATE_MAXIMIZED_VERT, ewmh._NET_WM_STATE_MAXIMIZED_HORZ,
            XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
        xcb_flush(c);
        while (placement && placement->maximized && std::chrono::steady_clock::now() < deadline) {
            pause();
            placement = readPlacement(id);
        }
        if (!placement) {
            return false;
        }
    }

    // The window manager gets the outer frame's top-left corner with north-west gravity, so it
    // places its own frame there whatever it does with the client's border (openbox, for one,
    // removes the border of a client it manages but keeps counting it for static gravity). The
    // size is the client's: the outer frame less decorations and border.
    const double border = placement->border;
    const double width = target.width - placement->left - placement->right - 2 * border;
    const double height = target.height - placement->top - placement->bottom - 2 * border;
    if (width < 1 || height < 1) {
        return false;
    }
    xcb_ewmh_request_moveresize_window(
        &ewmh, connection_->screenNumber(), id, XCB_GRAVITY_NORTH_WEST,
        XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
        static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(
            XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y |
            XCB_EWMH_MOVERESIZE_WINDOW_WIDTH | XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT),
        static_cast<std::uint32_t>(static_cast<std::int32_t>(target.x)),
        static_cast<std::uint32_t>(static_cast<std::int32_t>(target.y)),
        static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    xcb_flush(c);

    // Confirmation: the frame read back from the server, until it matches or the time is up.
    for (;;) {
        placement = readPlacement(id);
        if (!placement) {
            return false;
        }
        if (withinTolerance(placement->outer, target)) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        pause();
    }
}

} // namespace plimsett
