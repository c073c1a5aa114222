#include "platform/x11/X11WindowSystem.h"

#include "engine/Rect.h"
#include "engine/Text.h"
#include "platform/linux/ApplicationGrouping.h"
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

// Every edge and side within frameTolerance: the window counts as in place.
bool withinTolerance(const Rect& a, const Rect& b) {
    return a.isWithin(b, frameTolerance);
}

struct Requests {
    xcb_get_property_cookie_t pid, type, transientFor, wmClass, netName, wmName, state, extents,
        desktop;
    xcb_get_geometry_cookie_t geometry;
    xcb_translate_coordinates_cookie_t position;
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
        r.desktop = xcb_get_property(c, 0, window, ewmh._NET_WM_DESKTOP, XCB_ATOM_CARDINAL, 0, 1);
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
                // Which client the value is about, and what kind of value it is.
                const auto& [clientID, length] = *it.data;
                if (clientID.mask == XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID &&
                    xcb_res_client_id_value_value_length(it.data) >= 1) {
                    pidOfClient[clientID.client & ~idMask] =
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

    std::vector<WindowRecord> records;
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
        const auto desktop = propertyReply(c, r.desktop);
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
        WindowRecord record;
        record.handle = std::make_shared<X11WindowHandle>(window);
        record.process =
            processID != 0 ? "pid:" + std::to_string(processID) : "client:" + std::to_string(base);
        record.appClass = std::move(className);
        record.instanceName = classBytes.substr(0, separator);
        record.title = repairedUtf8(title);
        record.frame = frame;
        record.minimized = contains(states, ewmh._NET_WM_STATE_HIDDEN);
        record.fullScreen = contains(states, ewmh._NET_WM_STATE_FULLSCREEN);
        record.maximizedHorizontally = contains(states, ewmh._NET_WM_STATE_MAXIMIZED_HORZ);
        record.maximizedVertically = contains(states, ewmh._NET_WM_STATE_MAXIMIZED_VERT);
        // _NET_WM_DESKTOP: 0xFFFFFFFF is every desktop.
        if (const auto d = values32(desktop.get(), XCB_ATOM_CARDINAL); !d.empty()) {
            record.workspace = d[0] == 0xFFFFFFFF ? Workspace::every() : Workspace{d[0]};
        }
        records.push_back(std::move(record));
    }
    return ApplicationGrouping::liveWindows(records, desktopEntries_);
}

std::vector<std::optional<X11WindowSystem::Placement>>
X11WindowSystem::readPlacements(const std::vector<xcb_window_t>& windows) const {
    xcb_connection_t* c = connection_->xcb();
    xcb_ewmh_connection_t& ewmh = connection_->ewmh();
    struct Cookies {
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t position;
        xcb_get_property_cookie_t extents, state;
    };
    // Every request goes out before the first reply is read: one round trip for all windows.
    std::vector<Cookies> cookies;
    cookies.reserve(windows.size());
    for (const xcb_window_t window : windows) {
        cookies.push_back(Cookies{
            xcb_get_geometry(c, window),
            xcb_translate_coordinates(c, window, connection_->root(), 0, 0),
            xcb_get_property(c, 0, window, ewmh._NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 0, 4),
            xcb_get_property(c, 0, window, ewmh._NET_WM_STATE, XCB_ATOM_ATOM, 0, listLength)});
    }
    std::vector<std::optional<Placement>> placements;
    placements.reserve(windows.size());
    for (const Cookies& cookie : cookies) {
        xcb_generic_error_t* error = nullptr;
        const XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c, cookie.geometry, &error));
        std::free(error);
        error = nullptr;
        const XcbReply<xcb_translate_coordinates_reply_t> position(
            xcb_translate_coordinates_reply(c, cookie.position, &error));
        std::free(error);
        const auto extents = propertyReply(c, cookie.extents);
        const auto state = propertyReply(c, cookie.state);
        if (!geometry || !position) {
            placements.emplace_back();
            continue;
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
        placement.outer = Rect{position->dst_x - border - placement.left,
                               position->dst_y - border - placement.top,
                               geometry->width + 2 * border + placement.left + placement.right,
                               geometry->height + 2 * border + placement.top + placement.bottom};
        const std::vector<std::uint32_t> states = values32(state.get(), XCB_ATOM_ATOM);
        placement.maximizedHorizontally = contains(states, ewmh._NET_WM_STATE_MAXIMIZED_HORZ);
        placement.maximizedVertically = contains(states, ewmh._NET_WM_STATE_MAXIMIZED_VERT);
        placements.push_back(placement);
    }
    return placements;
}

bool X11WindowSystem::move(const LiveWindow& window, const Rect& frame) {
    return moveAll({WindowMove{window, frame}}).front();
}

namespace {

// Where one window of a pass stands.
enum class Stage {
    releasing,  // waiting for the window manager to release its maximised state
    moving,     // the new frame was asked for
    maximizing, // it reached the target display and was asked to maximise again
    done,
    failed,
};

} // namespace

std::vector<bool> X11WindowSystem::moveAll(const std::vector<WindowMove>& moves) {
    std::vector<bool> answers(moves.size(), false);
    if (moves.empty() || !connection_ || connection_->isBroken()) {
        return answers;
    }
    connection_->discardEvents();
    xcb_connection_t* c = connection_->xcb();
    xcb_ewmh_connection_t& ewmh = connection_->ewmh();
    const int screen = connection_->screenNumber();
    const auto deadline = std::chrono::steady_clock::now() + moveConfirmationTimeout;

    struct Pending {
        std::size_t index;
        xcb_window_t window;
        Rect target; // whole pixels
        Stage stage;
        // A window asked to maximise again has had three requests (release, move, maximise) by
        // then; it gets its own confirmation time from the last one (kwin_x11 6 can take longer
        // than one period for all three).
        std::chrono::steady_clock::time_point deadline;
        // The decorations the requested size was converted with.
        std::uint32_t left = 0, right = 0, top = 0, bottom = 0, border = 0;
    };
    std::vector<Pending> pending;
    std::vector<xcb_window_t> ids;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const auto* handle = dynamic_cast<const X11WindowHandle*>(moves[i].window.handle.get());
        // X coordinates are whole pixels in 16 bits.
        const Rect wanted = moves[i].frame.standardized();
        if (handle == nullptr || !wanted.isFinite() || std::fabs(wanted.x) > 32000 ||
            std::fabs(wanted.y) > 32000 || wanted.width > 32000 || wanted.height > 32000) {
            continue;
        }
        const Rect target{std::round(wanted.x), std::round(wanted.y), std::round(wanted.width),
                          std::round(wanted.height)};
        pending.push_back(Pending{i, handle->window(), target, Stage::moving, deadline});
        ids.push_back(handle->window());
    }

    // A window that goes to another workspace is sent there first. Changing a window's desktop
    // does not change the desktop shown (EWMH), so the user stays where they are. A workspace
    // that no longer exists (fewer desktops now) is the last one.
    // Read only for a pass that changes a workspace: a round trip most passes do not need.
    const bool changesWorkspace = std::any_of(
        moves.begin(), moves.end(), [](const WindowMove& m) { return m.workspace.has_value(); });
    const std::vector<std::uint32_t> desktops =
        changesWorkspace ? connection_->cardinals(connection_->root(), ewmh._NET_NUMBER_OF_DESKTOPS,
                                                  XCB_ATOM_CARDINAL)
                         : std::vector<std::uint32_t>{};
    for (const WindowMove& move : moves) {
        const auto* handle = dynamic_cast<const X11WindowHandle*>(move.window.handle.get());
        if (handle == nullptr || !move.workspace || desktops.empty() || desktops[0] == 0) {
            continue;
        }
        const std::uint32_t desktop = move.workspace->isEvery()
                                          ? 0xFFFFFFFF
                                          : static_cast<std::uint32_t>(std::min<std::int64_t>(
                                                move.workspace->index, desktops[0] - 1));
        xcb_ewmh_request_change_wm_desktop(&ewmh, screen, handle->window(), desktop,
                                           XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    }

    const auto requestFrame = [&](Pending& p, const Placement& placement) {
        // The window manager gets the outer frame's top-left corner with north-west gravity, so
        // it places its own frame there whatever it does with the client's border (openbox, for
        // one, removes the border of a client it manages but keeps counting it for static
        // gravity). The size is the client's: the outer frame less decorations and border.
        const double border = placement.border;
        const double width = p.target.width - placement.left - placement.right - 2 * border;
        const double height = p.target.height - placement.top - placement.bottom - 2 * border;
        if (width < 1 || height < 1) {
            p.stage = Stage::failed;
            return;
        }
        xcb_ewmh_request_moveresize_window(
            &ewmh, screen, p.window, XCB_GRAVITY_NORTH_WEST, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
            static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(
                XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y |
                XCB_EWMH_MOVERESIZE_WINDOW_WIDTH | XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT),
            static_cast<std::uint32_t>(static_cast<std::int32_t>(p.target.x)),
            static_cast<std::uint32_t>(static_cast<std::int32_t>(p.target.y)),
            static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
        p.stage = Stage::moving;
        p.left = placement.left;
        p.right = placement.right;
        p.top = placement.top;
        p.bottom = placement.bottom;
        p.border = placement.border;
    };
    const auto requestMaximized = [&](const Pending& p) {
        const WindowMove& m = moves[p.index];
        xcb_ewmh_request_change_wm_state(
            &ewmh, screen, p.window, XCB_EWMH_WM_STATE_ADD,
            m.maximizeHorizontally ? ewmh._NET_WM_STATE_MAXIMIZED_HORZ : xcb_atom_t{XCB_ATOM_NONE},
            m.maximizeVertically ? ewmh._NET_WM_STATE_MAXIMIZED_VERT : xcb_atom_t{XCB_ATOM_NONE},
            XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    };

    // First every request: a maximised window is released first (window managers keep it on its
    // maximised area), every other one gets its frame.
    std::vector<std::optional<Placement>> placements = readPlacements(ids);
    for (std::size_t k = 0; k < pending.size(); ++k) {
        Pending& p = pending[k];
        if (!placements[k]) {
            p.stage = Stage::failed;
        } else if (placements[k]->maximizedHorizontally || placements[k]->maximizedVertically) {
            xcb_ewmh_request_change_wm_state(&ewmh, screen, p.window, XCB_EWMH_WM_STATE_REMOVE,
                                             ewmh._NET_WM_STATE_MAXIMIZED_VERT,
                                             ewmh._NET_WM_STATE_MAXIMIZED_HORZ,
                                             XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
            p.stage = Stage::releasing;
        } else {
            requestFrame(p, *placements[k]);
        }
    }
    xcb_flush(c);

    // Then one confirmation for all: the frames read back together, until every window is
    // where it was asked to be or the time is up.
    for (;;) {
        std::vector<std::size_t> open;
        std::vector<xcb_window_t> openIds;
        for (std::size_t k = 0; k < pending.size(); ++k) {
            if (pending[k].stage != Stage::done && pending[k].stage != Stage::failed) {
                open.push_back(k);
                openIds.push_back(pending[k].window);
            }
        }
        if (open.empty()) {
            break;
        }
        placements = readPlacements(openIds);
        bool asked = false;
        for (std::size_t j = 0; j < open.size(); ++j) {
            Pending& p = pending[open[j]];
            const std::optional<Placement>& placement = placements[j];
            if (!placement) {
                p.stage = Stage::failed; // closed in the meantime
                continue;
            }
            const WindowMove& m = moves[p.index];
            const bool maximized =
                placement->maximizedHorizontally || placement->maximizedVertically;
            switch (p.stage) {
            case Stage::releasing:
                if (!maximized) {
                    // The decorations of the released window count for the conversion.
                    requestFrame(p, *placement);
                    asked = true;
                }
                break;
            case Stage::moving:
                if (m.maximizes()) {
                    // A window that cannot take the exact size still counts once it is on the
                    // target's display.
                    if (withinTolerance(placement->outer, p.target) ||
                        p.target.contains(placement->outer.center())) {
                        requestMaximized(p);
                        p.stage = Stage::maximizing;
                        p.deadline = std::chrono::steady_clock::now() + moveConfirmationTimeout;
                        asked = true;
                    }
                } else if (withinTolerance(placement->outer, p.target)) {
                    p.stage = Stage::done;
                } else if (placement->left != p.left || placement->right != p.right ||
                           placement->top != p.top || placement->bottom != p.bottom ||
                           placement->border != p.border) {
                    // The window manager changed the decorations after the request (it puts
                    // them back some time after releasing a maximised window): ask again
                    // with the ones it has now.
                    requestFrame(p, *placement);
                    asked = true;
                }
                break;
            case Stage::maximizing:
                if (placement->maximizedHorizontally == m.maximizeHorizontally &&
                    placement->maximizedVertically == m.maximizeVertically &&
                    p.target.contains(placement->outer.center())) {
                    p.stage = Stage::done;
                }
                break;
            case Stage::done:
            case Stage::failed:
                break;
            }
        }
        if (asked) {
            xcb_flush(c);
        }
        const auto now = std::chrono::steady_clock::now();
        if (std::none_of(open.begin(), open.end(),
                         [&](std::size_t k) { return now < pending[k].deadline; })) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (const Pending& p : pending) {
        answers[p.index] = p.stage == Stage::done;
    }
    return answers;
}

} // namespace plimsett
